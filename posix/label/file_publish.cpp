// The host's half of file_publish.h: O_EXCL for a name of its own, fsync, and a rename that
// never replaces (renameat2 with RENAME_NOREPLACE), so a label nobody has taken yet stays.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

#include "file_publish.h"

namespace {

std::string SystemText(int error) {
    return std::generic_category().message(error);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }
    // 0, or the error closing it reported (an NFS write, say, reports its failure here).
    int Close() {
        int error = 0;
        if (fd_ >= 0 && close(fd_) != 0) {
            error = errno;
        }
        fd_ = -1;
        return error;
    }

private:
    int fd_;
};

// Every label of this process gets a temporary name of its own, also with many workers.
std::string TemporaryName(const std::string& folder) {
    static std::atomic<unsigned> counter{0};
    return folder + "/label-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".tmp";
}

}  // namespace

Result<std::string> WriteTemporaryFile(const std::string& folder, std::string_view bytes) {
    std::string path;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; attempt++) {
        path = TemporaryName(folder);
        fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) {
            return Fail("cannot write a label in " + folder + ": " + SystemText(errno));
        }
    }
    if (fd < 0) {
        return Fail("cannot write a label in " + folder + ": no free temporary name");
    }
    FileDescriptor file(fd);
    int error = 0;
    size_t written = 0;
    while (written < bytes.size() && error == 0) {
        ssize_t now = write(file.Get(), bytes.data() + written, bytes.size() - written);
        if (now >= 0) {
            written += static_cast<size_t>(now);
        } else if (errno != EINTR) {
            error = errno;
        }
    }
    if (error == 0 && fsync(file.Get()) != 0) {
        error = errno;
    }
    int closing = file.Close();
    error = error != 0 ? error : closing;
    if (error != 0) {
        RemoveFile(path);
        return Fail("cannot write a label in " + folder + ": " + SystemText(error));
    }
    return path;
}

Result<bool> MoveIntoPlace(const std::string& temporary, const std::string& path) {
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    return Fail("cannot rename a label into place as " + path + ": " + SystemText(errno));
}

void RemoveFile(const std::string& path) {
    unlink(path.c_str());
}
