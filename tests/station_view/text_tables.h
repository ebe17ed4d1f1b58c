// The station's string tables as the resource compiler reads them, parsed here so that the
// portable texts can be said on the host and the tables themselves checked: the ids from
// station_text_ids.h, each language's STRINGTABLE from windows/res/zq61station_texts.rc.
#pragma once

#include <map>
#include <string>

#include "station_texts.h"

struct TextTables {
    std::map<std::string, int> ids;  // IDS_... -> number
    // language -> id -> text; a name the ids lack is kept under -1 and named in unknown.
    std::map<Language, std::map<int, std::string>> texts;
    std::string unknown;
};

// Reads the header and the resource script (paths given, or the project's own).
TextTables ReadTextTables(const std::string& idsPath, const std::string& rcPath);
TextTables ProjectTextTables();

// The station's texts in language from tables.
Texts TextsFrom(const TextTables& tables, Language language);
