#include "station_texts.h"

#include "text_format.h"

namespace {

constexpr unsigned kPrimaryChinese = 0x04;  // LANG_CHINESE: every Chinese LANGID's low ten bits

}  // namespace

std::optional<Language> LanguageNamed(std::string_view name) {
    if (name == "zh-CN") {
        return Language::Chinese;
    }
    if (name == "en") {
        return Language::English;
    }
    return std::nullopt;
}

Language LanguageOfUi(unsigned languageId) {
    return (languageId & 0x3FF) == kPrimaryChinese ? Language::Chinese : Language::English;
}

std::string Texts::Say(int id, const std::vector<std::string>& insertions) const {
    std::string pattern = source_ ? source_(language_, id) : std::string();
    if (pattern.empty() && language_ != Language::English && source_) {
        pattern = source_(Language::English, id);
    }
    if (pattern.empty()) {
        return "#" + std::to_string(id);
    }
    return FormatText(pattern, insertions);
}
