#include "printer_target.h"

#include <cctype>
#include <string_view>

namespace {

constexpr const char* kForms = "tcp:HOST[:PORT], queue:NAME or folder:DIR";

bool AllDigits(std::string_view text) {
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return !text.empty();
}

// Control characters and spaces belong in no host name or address.
bool PlainHost(std::string_view host) {
    for (char c : host) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == '/' || c == '[' || c == ']') {
            return false;
        }
    }
    return !host.empty();
}

Unexpected<Error> Malformed(const std::string& text, const std::string& why) {
    return Fail("--printer: \"" + text + "\": " + why);
}

Result<PrinterTarget> ParseTcp(const std::string& text, std::string_view rest) {
    PrinterTarget target;
    target.kind = PrinterKind::Tcp;
    target.text = text;
    std::string_view host = rest;
    std::string_view port;
    if (rest.substr(0, 1) == "[") {
        // An IPv6 address, whose colons are its own: [::1]:9100.
        size_t close = rest.find(']');
        if (close == std::string_view::npos) {
            return Malformed(text, "an IPv6 address needs its closing ]");
        }
        host = rest.substr(1, close - 1);
        std::string_view after = rest.substr(close + 1);
        if (!after.empty() && after[0] != ':') {
            return Malformed(text, "only :PORT may follow the address");
        }
        port = after.empty() ? after : after.substr(1);
        if (!after.empty() && port.empty()) {
            return Malformed(text, "the port is missing after the colon");
        }
    } else if (size_t colon = rest.rfind(':'); colon != std::string_view::npos) {
        if (rest.find(':') != colon) {
            return Malformed(text, "an IPv6 address goes in brackets: tcp:[ADDRESS]:PORT");
        }
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (port.empty()) {
            return Malformed(text, "the port is missing after the colon");
        }
    }
    if (!PlainHost(host)) {
        return Malformed(text, "the printer's host name or address is missing or malformed");
    }
    target.host = std::string(host);
    if (!port.empty()) {
        if (!AllDigits(port) || port.size() > 5 || std::stoi(std::string(port)) < 1 ||
            std::stoi(std::string(port)) > 65535) {
            return Malformed(text, "the port \"" + std::string(port) + "\" is not 1 to 65535");
        }
        target.port = std::stoi(std::string(port));
    }
    return target;
}

}  // namespace

Result<PrinterTarget> ParsePrinterTarget(const std::string& text) {
    size_t colon = text.find(':');
    std::string_view scheme = std::string_view(text).substr(0, colon);
    std::string_view rest =
        colon == std::string::npos ? std::string_view() : std::string_view(text).substr(colon + 1);
    if (colon == std::string::npos ||
        (scheme != "tcp" && scheme != "queue" && scheme != "folder")) {
        return Malformed(text, std::string("is not ") + kForms);
    }
    if (scheme == "tcp") {
        return ParseTcp(text, rest);
    }
    if (rest.empty()) {
        return Malformed(
            text, scheme == "queue" ? "the queue's name is missing" : "the folder is missing");
    }
    PrinterTarget target;
    target.kind = scheme == "queue" ? PrinterKind::Queue : PrinterKind::Folder;
    target.name = std::string(rest);
    target.text = text;
    return target;
}
