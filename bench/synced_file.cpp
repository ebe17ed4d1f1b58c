#include "synced_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool WriteAll(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0) {
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return true;
}

Unexpected<Error> Failed(const std::string& what) {
    return Fail(what + ": " + std::strerror(errno));
}

}  // namespace

SyncedFile::SyncedFile(std::string path)
    : path_(std::move(path)), fd_(open(path_.c_str(), O_RDWR | O_CREAT | O_APPEND, 0644)) {}

SyncedFile::~SyncedFile() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

Result<std::string> SyncedFile::ReadAll() {
    std::string text;
    char buffer[65536];
    for (off_t at = 0;;) {
        const ssize_t read = pread(fd_, buffer, sizeof buffer, at);
        if (read < 0) {
            return Failed("cannot read " + path_);
        }
        if (read == 0) {
            return text;
        }
        text.append(buffer, static_cast<size_t>(read));
        at += read;
    }
}

Status SyncedFile::Append(const std::string& bytes) {
    if (fd_ < 0 || !WriteAll(fd_, bytes) || fsync(fd_) != 0) {
        return Failed("cannot write " + path_);
    }
    return {};
}

Status SyncedFile::Replace(const std::string& bytes) {
    const std::string fresh = path_ + ".new";
    const int fd = open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return Failed("cannot create " + fresh);
    }
    const bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    if (close(fd) != 0 || !written || std::rename(fresh.c_str(), path_.c_str()) != 0) {
        const Unexpected<Error> failed = Failed("cannot write " + fresh);
        std::remove(fresh.c_str());
        return failed;
    }
    // The rename on disk before any line goes to the new file: a crash that lost it would bring
    // back the old file without them.
    const size_t slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path_.substr(0, slash + 1);
    const int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    const bool renamed = directory >= 0 && fsync(directory) == 0;
    if (directory >= 0) {
        close(directory);
    }
    // The old file's descriptor still reads the old bytes: the journal goes on in the new one.
    close(fd_);
    fd_ = renamed ? open(path_.c_str(), O_RDWR | O_APPEND) : -1;
    if (fd_ < 0) {
        return Failed("cannot open " + path_ + " again");
    }
    return {};
}
