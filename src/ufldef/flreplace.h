// Replacing a file by a finished working copy in one atomic step, so that a
// crash at any instant leaves either the old file or the new one, whole.
#ifndef KANSU_FLREPLACE_H
#define KANSU_FLREPLACE_H

#include <string>

// Everything up to and including the last path separator ("" for a bare name).
std::string Directory_Part(const std::string& path);
// The file a path finally names: a symbolic link is followed to its target, so
// that replacing it keeps the link. Any other path is returned as it is.
std::string Replace_Target(const std::string& path);
// Gives work the permission bits of target, syncs work to disk, moves it over
// target and syncs the directory. 1 done; 0 when target cannot be written or
// the sync or the move fails (work is then left for the caller to remove).
int Replace_File(const std::string& work, const std::string& target);

// Test hook: called after the working copy is synced, right before the move.
extern void (*g_before_replace)();

#endif
