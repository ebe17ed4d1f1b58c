// The list of serials' CSV reader. The input's first byte chooses: arbitrary bytes read as a list
// (never a crash; a list it accepts holds no empty serial, none with a quote, none twice), or
// serials written as a CSV whose other column is arbitrary text quoted, read back in order.
#include <set>
#include <vector>

#include "fuzz_input.h"
#include "serial_list.h"

namespace {

Status AnySerial(const std::string& serial) {
    if (serial.size() <= 8) {
        return {};
    }
    return Fail("too long");
}

// A serial's printable characters other than the quote and the comma, at least one.
std::string SerialOf(FuzzInput& input) {
    std::string serial;
    for (char c : input.Text(8)) {
        serial += static_cast<char>('0' + static_cast<unsigned char>(c) % 43);
    }
    return serial.empty() ? "A" : serial;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    if (input.Byte() % 2 == 0) {
        Result<std::vector<std::string>> list =
            ReadSerialList(std::string_view(reinterpret_cast<const char*>(data), size), AnySerial);
        std::set<std::string> seen;
        for (const std::string& serial : list ? *list : std::vector<std::string>()) {
            Check(!serial.empty() && serial.find('"') == std::string::npos &&
                  seen.insert(serial).second);
        }
        return 0;
    }
    std::vector<std::string> serials;
    std::set<std::string> seen;
    std::string text;
    for (int i = input.Byte() % 6; i >= 0; i--) {
        std::string serial = SerialOf(input) + std::to_string(i);
        if (!seen.insert(serial).second || serial.size() > 8) {
            continue;
        }
        serials.push_back(serial);
        text += (input.Byte() % 2 == 0 ? serial : Quoted(serial)) + "," + Quoted(input.Text(20)) +
                (input.Byte() % 2 == 0 ? "\n" : "\r\n");
    }
    Result<std::vector<std::string>> list = ReadSerialList(text, AnySerial);
    Check(serials.empty() ? !list && list.Err().message == "holds no serial"
                          : list && *list == serials);
    return 0;
}
