#include "label_template.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "utf_text.h"
#include "zpl_field_text.h"

namespace {

struct Placeholder {
    std::string_view name;  // as written, braces included
    std::string LabelValues::*value;
};

constexpr Placeholder kPlaceholders[] = {
    {"{serial}", &LabelValues::serial},   {"{vid}", &LabelValues::vid},
    {"{pid}", &LabelValues::pid},         {"{product}", &LabelValues::product},
    {"{station}", &LabelValues::station}, {"{port}", &LabelValues::port},
    {"{date}", &LabelValues::date},       {"{time}", &LabelValues::time},
    {"{job}", &LabelValues::job},
};

// A label bigger than this is some other file given by mistake.
constexpr std::uintmax_t kMaxTemplateBytes = 4 * 1024 * 1024;

bool IsCommandStart(char c) {
    return c == '^' || c == '~';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The two letters of the command at `at` (which holds ^ or ~), upper-case; "" at the text's end.
std::string CommandAt(std::string_view text, size_t at) {
    if (at + 2 >= text.size()) {
        return "";
    }
    std::string name = {text[at + 1], text[at + 2]};
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

// Where the command or field data that starts at `from` ends: at the next command.
size_t NextCommand(std::string_view text, size_t from) {
    while (from < text.size() && !IsCommandStart(text[from])) {
        from++;
    }
    return from;
}

// A word in braces at `at`, e.g. "{serial}" or "{sereal}"; "" when there is none. Other braces
// are the template's own text.
std::string_view BracedWordAt(std::string_view text, size_t at) {
    if (text[at] != '{') {
        return "";
    }
    size_t end = at + 1;
    while (end < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) {
        end++;
    }
    if (end == at + 1 || end >= text.size() || text[end] != '}' ||
        std::isdigit(static_cast<unsigned char>(text[at + 1]))) {
        return "";
    }
    return text.substr(at, end + 1 - at);
}

const Placeholder* FindPlaceholder(std::string_view word) {
    for (const Placeholder& placeholder : kPlaceholders) {
        if (placeholder.name == word) {
            return &placeholder;
        }
    }
    return nullptr;
}

std::string KnownPlaceholders() {
    std::string list;
    for (const Placeholder& placeholder : kPlaceholders) {
        list += (list.empty() ? "" : " ") + std::string(placeholder.name);
    }
    return list;
}

// What the template says about the field being read: a field runs to its ^FS.
struct FieldState {
    bool hexEscapes = false;  // the field has ^FH
    char escape = kDefaultFieldEscape;
    char code128Mode = 0;  // the field is a Code 128 barcode (^BC) in this mode; 0: it is not
};

// The mode of a ^BC command: its sixth parameter, N when it is left out.
char Code128Mode(std::string_view parameters) {
    size_t field = 0;
    for (size_t i = 0; i < parameters.size(); i++) {
        if (parameters[i] == ',') {
            field++;
        } else if (field == 5 && !IsSpace(parameters[i])) {
            return static_cast<char>(std::toupper(static_cast<unsigned char>(parameters[i])));
        }
    }
    return 'N';
}

// The character set ^CI names: its first parameter.
std::string CharacterSet(std::string_view parameters) {
    std::string set;
    for (char c : parameters) {
        if (c == ',') {
            break;
        }
        if (!IsSpace(c)) {
            set += c;
        }
    }
    return set;
}

// The escape character ^FH names: the character after it, the default when it names none.
char FieldEscapeAt(std::string_view text, size_t at) {
    if (at < text.size() && !IsCommandStart(text[at]) && !IsSpace(text[at]) && text[at] != ',') {
        return text[at];
    }
    return kDefaultFieldEscape;
}

std::string NotAPlaceholder(std::string_view word) {
    return std::string(word) + " is not a placeholder; the placeholders are " + KnownPlaceholders();
}

// Reads a template into pieces, refusing whatever could let a value break the label.
class TemplateReader {
public:
    TemplateReader(const std::string& name, std::string_view text) : name_(name), text_(text) {}

    Result<LabelTemplate> Read();

private:
    // Why the template is refused, naming it and the line of the fault.
    Unexpected<Error> Refuse(size_t at, const std::string& why) const;
    // The text between its first and last blank: ^XA ... ^XZ, in UTF-8; first: where ^XA is.
    Status ReadFrame(size_t& first) const;
    // Every braced word in text (which starts at `at`) names a placeholder.
    Status CheckBraces(size_t at, std::string_view text) const;
    // The character at `at`, or the whole field data that starts there; at moves past it.
    Status ReadOutsideFields(size_t& at);
    // A command outside field data ("^FH", "~CC"): the field's state it sets, or why it is
    // refused.
    Status TakeCommand(const std::string& command, size_t at, size_t end);
    // The field data of the ^FD or ^FV at `command`, up to `end`; why not, when it is refused.
    Status ReadFieldData(size_t command, size_t end);
    void Add(std::string_view text) { pieces_.back().text += text; }

    const std::string& name_;
    std::string_view text_;
    FieldState field_;
    std::vector<TemplatePiece> pieces_{1};
};

Unexpected<Error> TemplateReader::Refuse(size_t at, const std::string& why) const {
    size_t line = 1;
    for (size_t i = 0; i < at && i < text_.size(); i++) {
        line += text_[i] == '\n' ? 1 : 0;
    }
    return Fail("label template " + name_ + ": line " + std::to_string(line) + ": " + why);
}

Status TemplateReader::ReadFieldData(size_t command, size_t end) {
    std::string_view data = text_.substr(command + 3, end - command - 3);
    bool holdsValue = false;
    for (size_t i = 0; i < data.size(); i++) {
        holdsValue = holdsValue || FindPlaceholder(BracedWordAt(data, i)) != nullptr;
    }
    if (!holdsValue) {
        Add(text_.substr(command, end - command));
        return {};
    }
    if (field_.code128Mode != 0 && field_.code128Mode != 'A') {
        return Fail(
            "a value in a Code 128 field needs its automatic mode (^BCo,h,f,g,e,A): in any "
            "other mode a '>' in the value would be read as a change of code set");
    }
    // Without ^FH of its own the field gets one, and its own "_" is written as the escape.
    char escape = field_.hexEscapes ? field_.escape : kDefaultFieldEscape;
    if (!field_.hexEscapes) {
        Add(std::string("^FH") + kDefaultFieldEscape);
    }
    Add(text_.substr(command, 3));
    for (size_t i = 0; i < data.size(); i++) {
        std::string_view word = BracedWordAt(data, i);
        if (const Placeholder* placeholder = FindPlaceholder(word)) {
            pieces_.push_back({"", placeholder->value, escape});
            pieces_.push_back({});
            i += word.size() - 1;
        } else if (!field_.hexEscapes && data[i] == kDefaultFieldEscape) {
            Add(EscapeFieldData(data.substr(i, 1), kDefaultFieldEscape));
        } else {
            Add(data.substr(i, 1));
        }
    }
    return {};
}

Status TemplateReader::ReadFrame(size_t& first) const {
    if (!Utf8ToUtf16(std::string(text_))) {
        return Fail("label template " + name_ + ": is not UTF-8 text");
    }
    first = 0;
    while (first < text_.size() && IsSpace(text_[first])) {
        first++;
    }
    size_t last = text_.size();
    while (last > first && IsSpace(text_[last - 1])) {
        last--;
    }
    if (first == last || CommandAt(text_, first) != "XA" || text_[first] != '^') {
        return Refuse(first, "is not a ZPL label: it does not begin with ^XA");
    }
    if (last - first < 6 || CommandAt(text_, last - 3) != "XZ" || text_[last - 3] != '^') {
        return Refuse(last, "is not a ZPL label: it does not end with ^XZ");
    }
    return {};
}

Status TemplateReader::CheckBraces(size_t at, std::string_view text) const {
    for (size_t i = 0; i < text.size(); i++) {
        std::string_view word = BracedWordAt(text, i);
        if (!word.empty() && !FindPlaceholder(word)) {
            return Refuse(at + i, NotAPlaceholder(word));
        }
    }
    return {};
}

Status TemplateReader::ReadOutsideFields(size_t& at) {
    const char c = text_[at];
    const std::string_view word = c == '{' ? BracedWordAt(text_, at) : std::string_view();
    if (!word.empty() && !FindPlaceholder(word)) {
        return Refuse(at, NotAPlaceholder(word));
    }
    if (!word.empty()) {
        return Refuse(at, std::string(word) +
                              " stands outside a field's data (^FD ... ^FS), where a "
                              "value would become part of a command");
    }
    if (IsCommandStart(c)) {
        const std::string command = CommandAt(text_, at);
        const size_t end = NextCommand(text_, at + 1);
        if (command == "FD" || command == "FV") {
            // Braces in the data are checked here, since the whole data is read at once.
            if (Status known = CheckBraces(at + 3, text_.substr(at + 3, end - at - 3)); !known) {
                return known;
            }
            if (Status read = ReadFieldData(at, end); !read) {
                return Refuse(at, read.Err().message);
            }
            at = end;
            return {};
        }
        if (Status taken = TakeCommand(c + command, at, end); !taken) {
            return taken;
        }
    }
    // A command's own text goes on as it is; a placeholder in it is refused above.
    Add(text_.substr(at, 1));
    at++;
    return {};
}

Status TemplateReader::TakeCommand(const std::string& command, size_t at, size_t end) {
    const std::string_view parameters = text_.substr(at + 3, end - at - 3);
    const std::string name = command.substr(1);
    if (name == "FS") {
        field_ = FieldState{};
    } else if (name == "FH") {
        field_.hexEscapes = true;
        field_.escape = FieldEscapeAt(text_, at + 3);
    } else if (name == "BC") {
        field_.code128Mode = Code128Mode(parameters);
    } else if (name == "CI" && CharacterSet(parameters) != "28") {
        return Refuse(
            at, "the label must be read as UTF-8 (^CI28), not ^CI" + CharacterSet(parameters));
    } else if (name == "CC" || name == "CT") {
        return Refuse(at, command +
                              " changes the characters that begin commands, which the "
                              "values' escapes rely on");
    }
    return {};
}

Result<LabelTemplate> TemplateReader::Read() {
    size_t first = 0;
    if (Status framed = ReadFrame(first); !framed) {
        return Fail(framed.Err());
    }
    // Values are UTF-8, so the label is read as UTF-8 from its start.
    Add(text_.substr(0, first + 3));
    Add("^CI28");
    size_t at = first + 3;
    while (at < text_.size()) {
        if (Status read = ReadOutsideFields(at); !read) {
            return Fail(read.Err());
        }
    }
    return LabelTemplate(name_, std::move(pieces_));
}

}  // namespace

Result<std::string> LabelTemplate::Fill(const LabelValues& values) const {
    std::string label;
    for (const TemplatePiece& piece : pieces_) {
        if (piece.value == nullptr) {
            label += piece.text;
            continue;
        }
        const std::string& value = values.*piece.value;
        if (!Utf8ToUtf16(value)) {
            return Fail("the label's value \"" + value + "\" is not UTF-8 text");
        }
        label += EscapeFieldData(value, piece.escape);
    }
    return label;
}

Result<LabelTemplate> ParseLabelTemplate(const std::string& name, std::string_view text) {
    // A byte order mark, as some editors write at the start of a UTF-8 file, is no part of it.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    return TemplateReader(name, text).Read();
}

namespace {

Unexpected<Error> TooLarge(const std::string& path, std::uintmax_t size) {
    return Fail("label template " + path + ": is " + std::to_string(size) +
                " bytes, more than a label template's " + std::to_string(kMaxTemplateBytes));
}

}  // namespace

Result<LabelTemplate> ReadLabelTemplate(const std::string& path, std::string_view bytes) {
    if (bytes.size() > kMaxTemplateBytes) {
        return TooLarge(path, bytes.size());
    }
    return ParseLabelTemplate(path, bytes);
}

Result<LabelTemplate> LoadLabelTemplate(const std::string& path) {
    std::filesystem::path file(std::u8string(path.begin(), path.end()));
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) {
        return Fail("label template " + path + ": cannot be read: " + error.message());
    }
    if (size > kMaxTemplateBytes) {
        return TooLarge(path, size);
    }
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        return Fail("label template " + path + ": cannot be read");
    }
    return ParseLabelTemplate(path, text);
}
