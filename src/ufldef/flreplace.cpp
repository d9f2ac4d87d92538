#include "flreplace.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#endif

void (*g_before_replace)() = nullptr;

namespace {
bool Is_Separator(char letter) {
#ifdef _WIN32
    return letter == '/' || letter == '\\' || letter == ':';
#else
    return letter == '/';
#endif
}

#ifdef _WIN32
bool Sync_File(const std::string& path) {
    int handle = _open(path.c_str(), _O_RDWR | _O_BINARY);
    if (handle < 0) return false;
    bool synced = _commit(handle) == 0;
    return _close(handle) == 0 && synced;
}

bool Move_Over(const std::string& work, const std::string& target) {
    return MoveFileExA(work.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool May_Replace(const std::string&, const std::string&) { return true; }
#else
bool Sync_File(const std::string& path) {
    int handle = open(path.c_str(), O_RDONLY);
    if (handle < 0) return false;
    bool synced = fsync(handle) == 0;
    return close(handle) == 0 && synced;
}

bool Move_Over(const std::string& work, const std::string& target) {
    if (std::rename(work.c_str(), target.c_str()) != 0) return false;
    // The new directory entry reaches the disk too; some file systems cannot sync
    // a directory, which costs nothing but that guarantee.
    std::string directory = Directory_Part(target);
    Sync_File(directory.empty() ? "." : directory);
    return true;
}

// A save file the user may not write is not replaced either; otherwise the new
// file takes over its permission bits.
bool May_Replace(const std::string& work, const std::string& target) {
    struct stat old_file;
    if (stat(target.c_str(), &old_file) != 0) return true;
    if (access(target.c_str(), W_OK) != 0) return false;
    return chmod(work.c_str(), old_file.st_mode & 07777) == 0;
}
#endif
}  // namespace

std::string Directory_Part(const std::string& path) {
    for (size_t end = path.size(); end > 0; --end)
        if (Is_Separator(path[end - 1])) return path.substr(0, end);
    return std::string();
}

std::string Replace_Target(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    std::filesystem::path target = std::filesystem::canonical(path, error);
    return error ? path : target.string();
}

int Replace_File(const std::string& work, const std::string& target) {
    if (!May_Replace(work, target) || !Sync_File(work)) return 0;
    if (g_before_replace != nullptr) g_before_replace();
    return Move_Over(work, target) ? 1 : 0;
}
