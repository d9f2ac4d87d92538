#include "userfunc/recovery.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <set>
#include <utility>
#include <system_error>
#include <vector>

#include "files/safefile.h"
#include "userfunc/savefile.h"
#include "userfunc/usrfunc.h"

namespace {
const char RECOVERY_PREFIX[] = "kansu-recovery-";
const char RECOVERY_SUFFIX[] = ".dat";
const char ANNOUNCED_LIST[] = "announced.txt";

std::string With_Separator(const std::string& folder) {
#ifdef _WIN32
    return folder + "\\";
#else
    return folder + "/";
#endif
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// "kansu-recovery-20261207-211530.dat", with "-2", "-3", ... before the suffix
// when several are written within one second.
std::string Recovery_Name(int attempt) {
    std::time_t now = std::time(nullptr);
    char stamp[32] = {};
    std::tm local = {};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string name = std::string(RECOVERY_PREFIX) + stamp;
    if (attempt > 1) name += "-" + std::to_string(attempt);
    return name + RECOVERY_SUFFIX;
}

const size_t STAMP_SIZE = 15;  // "20261207-211530"

// Orders recovery files by the time in their names, then by the number after
// it (none counts as 1), so that "-10" comes after "-9" and "-2" after none.
std::pair<std::string, long> Recovery_Order(const std::string& name) {
    const size_t prefix = sizeof RECOVERY_PREFIX - 1, suffix = sizeof RECOVERY_SUFFIX - 1;
    std::string middle = name.substr(prefix, name.size() - prefix - suffix);
    if (middle.size() <= STAMP_SIZE + 1 || middle[STAMP_SIZE] != '-') return {middle, 1};
    return {middle.substr(0, STAMP_SIZE),
            std::strtol(middle.c_str() + STAMP_SIZE + 1, nullptr, 10)};
}

bool Is_RecoveryName(const std::string& name) {
    const std::string prefix = RECOVERY_PREFIX, suffix = RECOVERY_SUFFIX;
    return name.size() > prefix.size() + suffix.size() &&
           name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}  // namespace

std::string Recovery_Folder() {
#ifdef _WIN32
    std::string base = Environment("LOCALAPPDATA");
    return base.empty() ? "" : With_Separator(base) + "kansu\\";
#else
    std::string base = Environment("XDG_STATE_HOME");
    if (base.empty()) {
        std::string home = Environment("HOME");
        if (home.empty()) return "";
        base = home + "/.local/state";
    }
    return With_Separator(base) + "kansu/";
#endif
}

SaveOutcome Write_RecoveryFile(UsrFuncArray& registry, std::string* path) {
    std::string folder = Recovery_Folder();
    if (folder.empty()) return SAVE_NOT_CREATED;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::string content = Compose_SaveFile(registry);
    FolderLock lock(folder);
    for (int attempt = 1; attempt < 100; ++attempt) {
        *path = folder + Recovery_Name(attempt);
        int written = Write_FileSafely(*path, content, false);
        if (written != FILE_TAKEN) return File_Outcome(written, SAVE_NOT_CREATED);
    }
    return SAVE_NOT_CREATED;
}

std::vector<std::string> Take_UnannouncedRecoveries() {
    std::vector<std::string> fresh;
    std::string folder = Recovery_Folder();
    if (folder.empty()) return fresh;
    // Read and appended without ever blocking, and only when a regular file:
    // a FIFO or a folder put there must not hold up the start.
    std::string list;
    int read = Read_RegularFile(folder + ANNOUNCED_LIST, &list);
    if (read != FILE_DONE && read != FILE_MISSING) return fresh;
    std::set<std::string> announced;
    std::istringstream lines(list);
    for (std::string name; std::getline(lines, name);) announced.insert(name);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (Is_RecoveryName(name) && announced.count(name) == 0) fresh.push_back(name);
    }
    std::sort(fresh.begin(), fresh.end(), [](const std::string& a, const std::string& b) {
        return Recovery_Order(a) < Recovery_Order(b);
    });
    std::string names;
    for (std::string& name : fresh) {
        names += name + "\n";
        name = folder + name;
    }
    if (!names.empty()) Append_RegularFile(folder + ANNOUNCED_LIST, names);
    return fresh;
}
