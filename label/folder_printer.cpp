#include "folder_printer.h"

#include <cctype>

#include "file_publish.h"

namespace {

// A name is tried with a number when it is taken; a folder this full is not being emptied.
constexpr int kMaxNameTries = 1000;

// The temporary file goes, whatever path leaves Print, unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!placed_) {
            RemoveFile(path_);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& Path() const { return path_; }
    void Placed() { placed_ = true; }

private:
    std::string path_;
    bool placed_ = false;
};

}  // namespace

std::string LabelFileStem(const std::string& name) {
    // A serial may hold any printable ASCII; Windows refuses \ / : * ? " < > | in a file name.
    std::string stem;
    for (char c : name) {
        bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
        stem += plain ? c : '_';
    }
    return stem.empty() ? "label" : stem;
}

Status FolderPrinter::Print(std::string_view label, const std::string& name) {
    Result<std::string> written = WriteTemporaryFile(folder_, label);
    if (!written) {
        return Fail(written.Err());
    }
    TemporaryFile temporary(*written);
#ifdef _WIN32
    constexpr const char* kSeparator = "\\";
#else
    constexpr const char* kSeparator = "/";
#endif
    const std::string stem = folder_ + kSeparator + LabelFileStem(name);
    for (int n = 1; n <= kMaxNameTries; n++) {
        std::string path = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".zpl";
        Result<bool> moved = MoveIntoPlace(temporary.Path(), path);
        if (!moved) {
            return Fail(moved.Err());
        }
        if (*moved) {
            temporary.Placed();
            return {};
        }
    }
    return Fail("cannot write a label in " + folder_ + ": " + std::to_string(kMaxNameTries) +
                " labels named " + LabelFileStem(name) + " are still there");
}
