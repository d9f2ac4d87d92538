#include "console/historyfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {
bool Write_All(int fd, const char* bytes, size_t count) {
    while (count > 0) {
        ssize_t written = write(fd, bytes, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}
}  // namespace

HistoryFile::HistoryFile(const std::string& path)
    : path_(path), temporary_path_(path + "." + std::to_string(getpid()) + ".new") {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        directories_.push_back(path.substr(0, slash));
}

bool HistoryFile::Read(std::string* text) const {
    text->clear();
    // Opened without blocking (a FIFO would wait for a writer) and used only
    // when it is a regular file.
    int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return false;
    }
    char block[4096];
    ssize_t got;
    while ((got = read(fd, block, sizeof block)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        text->append(block, static_cast<size_t>(got));
    }
    close(fd);
    return got == 0;
}

void HistoryFile::Prepare(const std::string& text) { text_ = text; }

bool HistoryFile::Write() const {
    if (path_.empty()) return false;
    // Whatever is at the path and is no regular file (a FIFO, a folder) stays.
    struct stat info;
    if (lstat(path_.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return false;
    for (const std::string& directory : directories_) mkdir(directory.c_str(), 0700);
    int fd = open(temporary_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    bool written = Write_All(fd, text_.data(), text_.size());
    if (close(fd) != 0) written = false;
    if (written && rename(temporary_path_.c_str(), path_.c_str()) == 0) return true;
    unlink(temporary_path_.c_str());
    return false;
}
