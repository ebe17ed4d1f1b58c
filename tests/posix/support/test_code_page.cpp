#include "test_code_page.h"

#include <iconv.h>

#include <string>
#include <vector>

namespace {

// Converts one character at a time so that a character that does not map becomes '?' and the
// rest still converts, as Windows' converters do without flags.
class IconvCodePage : public CodePage {
public:
    explicit IconvCodePage(int codePage)
        : name_(codePage == 65001 ? "UTF-8" : "CP" + std::to_string(codePage)) {
        toWide_ = iconv_open("UTF-16LE", name_.c_str());
        toAnsi_ = iconv_open(name_.c_str(), "UTF-16LE");
    }
    ~IconvCodePage() override {
        iconv_close(toWide_);
        iconv_close(toAnsi_);
    }

    int ToWide(const char* text, int length, uint16_t* units, int unitCapacity) override {
        std::vector<uint16_t> out;
        int pos = 0;
        while (pos < length) {
            // A character is one to four bytes (UTF-8), at most two in the others.
            int taken = 0;
            for (int size = 1; size <= 4 && pos + size <= length && taken == 0; size++) {
                uint16_t buffer[2];
                if (Convert(toWide_, text + pos, size, buffer, sizeof(buffer), out)) {
                    taken = size;
                }
            }
            if (taken == 0) {
                out.push_back(u'?');
                taken = 1;
            }
            pos += taken;
        }
        if (static_cast<int>(out.size()) > unitCapacity) {
            return 0;
        }
        std::copy(out.begin(), out.end(), units);
        return static_cast<int>(out.size());
    }

    int ToAnsi(const uint16_t* units, int count, char* bytes, int byteCapacity) override {
        std::string out;
        for (int i = 0; i < count;) {
            bool pair = i + 1 < count && units[i] >= 0xD800 && units[i] <= 0xDBFF &&
                        units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
            int size = pair ? 2 : 1;
            char buffer[8];
            size_t before = out.size();
            if (!ConvertToBytes(units + i, size, buffer, sizeof(buffer), out) ||
                out.size() == before) {
                out.resize(before);
                out.push_back('?');
            }
            i += size;
        }
        if (static_cast<int>(out.size()) > byteCapacity) {
            return 0;
        }
        std::copy(out.begin(), out.end(), bytes);
        return static_cast<int>(out.size());
    }

private:
    static bool Convert(iconv_t cd, const char* in, int inSize, uint16_t* buffer,
                        size_t bufferBytes, std::vector<uint16_t>& out) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in);
        size_t inLeft = static_cast<size_t>(inSize);
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = bufferBytes;
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft) {
            return false;
        }
        size_t produced = (bufferBytes - outLeft) / 2;
        out.insert(out.end(), buffer, buffer + produced);
        return true;
    }

    bool ConvertToBytes(const uint16_t* units, int count, char* buffer, size_t bufferBytes,
                        std::string& out) {
        iconv(toAnsi_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = reinterpret_cast<char*>(const_cast<uint16_t*>(units));
        size_t inLeft = static_cast<size_t>(count) * 2;
        char* outPtr = buffer;
        size_t outLeft = bufferBytes;
        if (iconv(toAnsi_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
            inLeft) {
            return false;
        }
        out.append(buffer, bufferBytes - outLeft);
        return true;
    }

    std::string name_;
    iconv_t toWide_;
    iconv_t toAnsi_;
};

}  // namespace

std::unique_ptr<CodePage> MakeTestCodePage(int codePage) {
    return std::make_unique<IconvCodePage>(codePage);
}
