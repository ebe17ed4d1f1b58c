// A label's template: a ZPL label whose fields' data name the board's values as placeholders
// ({serial}, {vid}, {pid}, {product}, {station}, {port}, {date}, {time}, {job}).
//
// It is checked once, when it is loaded, so that filling it for a board cannot go wrong on the
// template's account. A value may only stand in a field's data (^FD ... ^FS): anywhere else it
// would become part of a command. Each such field is read with ^FH, which the template's own ^FH
// sets or, without one, the template gets: "^FH_" is put before the field's ^FD, and an "_" the
// template wrote in that field's data becomes "_5F", so the field still reads as written. Values
// are then escaped for the field (zpl_field_text.h), and the label is UTF-8: ^CI28 follows its ^XA.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "label_values.h"
#include "result.h"

// The placeholders a template may name, as they are written.
inline constexpr const char* kLabelPlaceholders[] = {
    "{serial}", "{vid}", "{pid}", "{product}", "{station}", "{port}", "{date}", "{time}", "{job}"};

// Template text as it goes to the printer, or a placeholder with its field's escape character.
struct TemplatePiece {
    std::string text;
    std::string LabelValues::*value = nullptr;  // a placeholder's value, instead of text
    char escape = 0;
};

class LabelTemplate {
public:
    LabelTemplate(std::string name, std::vector<TemplatePiece> pieces)
        : name_(std::move(name)), pieces_(std::move(pieces)) {}

    // The label for these values; refused only when a value is not UTF-8 text.
    Result<std::string> Fill(const LabelValues& values) const;

    // How refusals name the template (its file's path).
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    std::vector<TemplatePiece> pieces_;
};

// A template from its text (UTF-8, a byte order mark allowed). Every refusal names the template
// and says why, with the line where the fault is.
Result<LabelTemplate> ParseLabelTemplate(const std::string& name, std::string_view text);
// The same from a file (a UTF-8 path).
Result<LabelTemplate> LoadLabelTemplate(const std::string& path);
// The same from a file's bytes read already (a job's template, read once with its job).
Result<LabelTemplate> ReadLabelTemplate(const std::string& path, std::string_view bytes);
