#include "serial_list.h"

#include <cctype>
#include <map>

namespace {

// A CSV line's first field: unquoted up to the first comma, or quoted with "" for a quote.
// Spaces around it are dropped: a serial never holds one.
std::string FirstField(std::string_view line) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return "";
    }
    line.remove_prefix(start);
    std::string field;
    if (line[0] == '"') {
        for (size_t i = 1; i < line.size(); i++) {
            if (line[i] == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    field += '"';
                    i++;
                    continue;
                }
                break;
            }
            field += line[i];
        }
        return field;
    }
    field = std::string(line.substr(0, line.find(',')));
    size_t end = field.find_last_not_of(" \t");
    return field.substr(0, end + 1);
}

// A first line that names its column: "serial", "Serial Number", "SN", "s/n" and the like.
// Only whole words count, so a serial such as SERIAL01 is never taken for a header.
bool IsHeader(const std::string& field) {
    std::string word;
    for (char c : field) {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (c != ' ' && c != '_' && c != '-' && c != '.' && c != '/' && c != '#') {
            return false;
        }
    }
    for (const char* name :
         {"serial", "serials", "serialnumber", "serialno", "sn", "snr", "serialnumbers"}) {
        if (word == name) {
            return true;
        }
    }
    return false;
}

}  // namespace

SerialList ReadSerialList(std::string_view text,
                          const std::function<std::string(const std::string&)>& check) {
    SerialList list;
    if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
        list.problem = "is UTF-16 text: save it as UTF-8";
        return list;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::map<std::string, size_t> lineOf;
    size_t number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        number++;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        std::string serial = FirstField(line);
        if (serial.empty() || (number == 1 && IsHeader(serial))) {
            continue;
        }
        std::string problem = check(serial);
        if (!problem.empty()) {
            list.problem = "line " + std::to_string(number) + ": " + problem;
            return list;
        }
        auto [first, added] = lineOf.emplace(serial, number);
        if (!added) {
            list.problem = "\"" + serial + "\" is on line " + std::to_string(first->second) +
                           " and again on line " + std::to_string(number);
            return list;
        }
        list.serials.push_back(serial);
    }
    if (list.serials.empty()) {
        list.problem = "holds no serial";
    }
    return list;
}
