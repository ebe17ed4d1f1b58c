#include "serial_list.h"

#include <cctype>
#include <map>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// One CSV record (RFC 4180): fields split at commas, a quoted field's "" a quote, its commas and
// line breaks its own. Read whole before its first field is looked at, so a line break inside a
// quote in a later column never splits a record in two.
struct Record {
    std::string first;  // its first field; spaces around an unquoted one dropped
    size_t line = 0;    // the line it starts on, from 1
};

class CsvReader {
public:
    explicit CsvReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return at_ >= text_.size(); }

    // The next record; refused for a quote that is never closed or text after a closing quote.
    Status Next(Record& record) {
        record.first.clear();
        record.line = line_;
        for (size_t field = 0;; field++) {
            std::string* keep = field == 0 ? &record.first : nullptr;
            if (Status read = Field(keep); !read) {
                return read;
            }
            if (AtEnd()) {
                return {};
            }
            char end = text_[at_++];
            if (end == '\n') {
                line_++;
                return {};
            }
            // Only a comma is left: a field stops at a comma or a line's end.
        }
    }

private:
    Status Field(std::string* keep) {
        while (!AtEnd() && IsBlank(text_[at_])) {
            at_++;
        }
        if (AtEnd() || text_[at_] != '"') {
            size_t start = at_;
            while (!AtEnd() && text_[at_] != ',' && text_[at_] != '\n') {
                at_++;
            }
            if (keep != nullptr) {
                std::string_view field = text_.substr(start, at_ - start);
                size_t last = field.find_last_not_of(" \t\r");
                *keep = std::string(field.substr(0, last == std::string_view::npos ? 0 : last + 1));
            }
            return {};
        }
        return Quoted(keep);
    }

    Status Quoted(std::string* keep) {
        size_t opened = line_;
        for (at_++;; at_++) {
            if (AtEnd()) {
                return Fail("line " + std::to_string(opened) + ": a quoted field is never closed");
            }
            char c = text_[at_];
            if (c == '"') {
                if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
                    at_++;
                } else {
                    at_++;
                    break;
                }
            } else if (c == '\n') {
                line_++;
            }
            if (keep != nullptr) {
                *keep += c;
            }
        }
        while (!AtEnd() && (IsBlank(text_[at_]) || text_[at_] == '\r')) {
            at_++;
        }
        if (!AtEnd() && text_[at_] != ',' && text_[at_] != '\n') {
            return Fail("line " + std::to_string(line_) +
                        ": text follows a quoted field's closing quotation mark");
        }
        return {};
    }

    std::string_view text_;
    size_t at_ = 0;
    size_t line_ = 1;
};

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

Result<std::vector<std::string>> ReadSerialList(
    std::string_view text, const std::function<Status(const std::string&)>& check) {
    if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
        return Fail("is UTF-16 text: save it as UTF-8");
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::vector<std::string> serials;
    std::map<std::string, size_t> lineOf;
    CsvReader reader(text);
    Record record;
    while (!reader.AtEnd()) {
        if (Status read = reader.Next(record); !read) {
            return Fail(read.Err());
        }
        const std::string& serial = record.first;
        if (serial.empty() || (record.line == 1 && IsHeader(serial))) {
            continue;
        }
        // Refused by the list itself, whatever the serial rule: a stray quote is a CSV the
        // reader and its writer disagree on, and its serial would be another than meant.
        if (serial.find('"') != std::string::npos) {
            return Fail("line " + std::to_string(record.line) + ": the serial " + serial +
                        " holds a quotation mark (\"); no serial does");
        }
        if (Status checked = check(serial); !checked) {
            return Fail("line " + std::to_string(record.line) + ": " + checked.Err().message);
        }
        auto [first, added] = lineOf.emplace(serial, record.line);
        if (!added) {
            return Fail("\"" + serial + "\" is on line " + std::to_string(first->second) +
                        " and again on line " + std::to_string(record.line));
        }
        serials.push_back(serial);
    }
    if (serials.empty()) {
        return Fail("holds no serial");
    }
    return serials;
}
