// The --functions file of a script command, a save file or a text file of
// definitions, and a save file's functions written as definition lines
// (kansu functions FILE), each after the functions it calls.
#ifndef KANSU_APP_SAVEFILETEXT_H
#define KANSU_APP_SAVEFILETEXT_H

#include <ostream>
#include <string>

// The functions of a save file, with their definitions, or the definition
// lines of a text file. Every refusal is said; false when any line or the
// file was refused.
bool Load_FunctionsFile(const std::string& path);
// Writes the functions of the save file at path as definition lines, each
// after the functions it calls, so that they read back in order. Returns the
// exit status.
int Write_FunctionsText(const std::string& path, std::ostream& out);

#endif
