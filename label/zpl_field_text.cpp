#include "zpl_field_text.h"

namespace {

bool NeedsEscape(unsigned char byte, char escape) {
    return byte == '^' || byte == '~' || byte == static_cast<unsigned char>(escape) ||
           byte < 0x20 || byte == 0x7F;
}

}  // namespace

std::string EscapeFieldData(std::string_view value, char escape) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        auto byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte, escape)) {
            out += escape;
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}
