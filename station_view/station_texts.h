// The station's texts in the operator's language: Simplified Chinese or English, from string
// tables with one id per text (station_text_ids.h). Where the tables are read is the shell's
// business (the program's resources, a test's parse of them); which language, the fallback and
// the insertions are decided here.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "station_text_ids.h"

enum class Language { English, Chinese };

// "zh-CN" or "en", as --lang and ZQ61_LANG name them; nothing for any other text.
std::optional<Language> LanguageNamed(std::string_view name);
// Chinese for any Chinese user interface language (a Windows LANGID: its primary language), else
// English.
Language LanguageOfUi(unsigned languageId);

class Texts {
public:
    // A language's text for an id, "" when that language's table lacks it.
    using Source = std::function<std::string(Language, int id)>;

    Texts(Language language, Source source) : language_(language), source_(std::move(source)) {}

    Language Which() const { return language_; }

    // The id's sentence in the language with its insertions; a text the language lacks is the
    // English one, never an empty tile; one no table has names its id.
    std::string Say(int id, const std::vector<std::string>& insertions = {}) const;

private:
    Language language_;
    Source source_;
};
