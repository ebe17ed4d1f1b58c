// The station's texts as the window shows them: the string tables in the program's own
// resources, in the language chosen once at the start (--lang, ZQ61_LANG, or the user's Windows
// language).
#pragma once

#include <string>
#include <vector>

#include "station_texts.h"

// From here on every text is said in language, and the window's fonts are ones with its glyphs.
void UseLanguage(Language language);
const Texts& Words();
// Words().Say(...).
std::string Say(int id, const std::vector<std::string>& insertions = {});
