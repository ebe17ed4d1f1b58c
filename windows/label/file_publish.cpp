// Windows' half of file_publish.h: CREATE_NEW for a name of its own, FlushFileBuffers, and
// MoveFileExW with MOVEFILE_WRITE_THROUGH (the rename is on the disk when it returns) and without
// MOVEFILE_REPLACE_EXISTING, so a label nobody has taken yet stays.
#include <algorithm>
#include <atomic>

#include "file_publish.h"
#include "scoped_win.h"
#include "wide_text.h"
#include "windows_error_text.h"

namespace {

// Every label of this process gets a temporary name of its own, also with many workers.
std::string TemporaryName(const std::string& folder) {
    static std::atomic<unsigned> counter{0};
    return folder + "\\label-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter) + ".tmp";
}

Unexpected<Error> CannotWrite(const std::string& folder, DWORD error) {
    return Fail("cannot write a label in " + folder + ": " + WindowsErrorText(error));
}

}  // namespace

Result<std::string> WriteTemporaryFile(const std::string& folder, std::string_view bytes) {
    std::string path;
    win32::AutoCloseHandle file;
    for (int attempt = 0; attempt < 100 && !file; attempt++) {
        path = TemporaryName(folder);
        file.Reset(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD error = GetLastError();
        if (!file && error != ERROR_FILE_EXISTS) {
            return CannotWrite(folder, error);
        }
    }
    if (!file) {
        return Fail("cannot write a label in " + folder + ": no free temporary name");
    }
    DWORD error = 0;
    size_t written = 0;
    while (written < bytes.size() && error == 0) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1 << 20));
        DWORD now = 0;
        if (!WriteFile(file.Get(), bytes.data() + written, chunk, &now, nullptr)) {
            error = GetLastError();
        } else if (now == 0) {
            error = ERROR_WRITE_FAULT;
        }
        written += now;
    }
    if (error == 0 && !FlushFileBuffers(file.Get())) {
        error = GetLastError();
    }
    file.Reset();
    if (error != 0) {
        RemoveFile(path);
        return CannotWrite(folder, error);
    }
    return path;
}

Result<bool> MoveIntoPlace(const std::string& temporary, const std::string& path) {
    if (MoveFileExW(WideFromUtf8(temporary).c_str(), WideFromUtf8(path).c_str(),
                    MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        return false;
    }
    return Fail("cannot rename a label into place as " + path + ": " + WindowsErrorText(error));
}

void RemoveFile(const std::string& path) {
    DeleteFileW(WideFromUtf8(path).c_str());
}
