#include "job_path.h"

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool IsAbsolute(const std::string& path) {
    if (!path.empty() && IsSeparator(path[0])) {
        return true;
    }
    // A drive letter: C:\x is absolute; C:x names the drive's current folder, which is no folder
    // of the job's, so it is left to mean what Windows makes of it.
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

char Folded(char c) {
    if (c == '/') {
        return '\\';
    }
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string PathFromJob(const std::string& jobFile, const std::string& target) {
    size_t end = jobFile.find_last_of("/\\");
    if (end == std::string::npos || target.size() <= end + 1) {
        return target;
    }
    for (size_t i = 0; i <= end; i++) {
        if (Folded(jobFile[i]) != Folded(target[i])) {
            return target;
        }
    }
    return target.substr(end + 1);
}

std::string ResolveBesideJob(const std::string& jobFile, const std::string& path) {
    if (IsAbsolute(path)) {
        return path;
    }
    size_t end = jobFile.find_last_of("/\\");
    if (end == std::string::npos) {
        // A job file in the current folder: its paths are relative to the same folder.
        return path;
    }
    return jobFile.substr(0, end + 1) + path;
}
