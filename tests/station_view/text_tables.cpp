#include "text_tables.h"

#include <fstream>
#include <memory>
#include <sstream>

namespace {

// A resource string's text: "" is a quote, \n a line break, \\ a backslash.
std::string Unquoted(const std::string& quoted) {
    std::string text;
    for (size_t i = 1; i + 1 < quoted.size(); i++) {
        if (quoted[i] == '"' && quoted[i + 1] == '"') {
            text += '"';
            i++;
        } else if (quoted[i] == '\\' && i + 2 < quoted.size()) {
            char next = quoted[++i];
            text += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            text += quoted[i];
        }
    }
    return text;
}

}  // namespace

TextTables ReadTextTables(const std::string& idsPath, const std::string& rcPath) {
    TextTables tables;
    std::ifstream ids(idsPath);
    for (std::string line; std::getline(ids, line);) {
        std::istringstream words(line);
        std::string define, name;
        int number = 0;
        if (words >> define >> name >> number && define == "#define" &&
            name.rfind("IDS_", 0) == 0) {
            tables.ids[name] = number;
        }
    }
    std::ifstream rc(rcPath);
    Language language = Language::English;
    for (std::string line; std::getline(rc, line);) {
        size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) {
            continue;
        }
        line = line.substr(start);
        if (line.rfind("LANGUAGE ", 0) == 0) {
            language = line.find("LANG_CHINESE") != std::string::npos ? Language::Chinese
                                                                      : Language::English;
        } else if (line.rfind("IDS_", 0) == 0) {
            size_t space = line.find(' ');
            std::string name = line.substr(0, space);
            auto id = tables.ids.find(name);
            if (id == tables.ids.end()) {
                tables.unknown += name + " ";
                continue;
            }
            tables.texts[language][id->second] = Unquoted(line.substr(line.find('"')));
        }
    }
    return tables;
}

TextTables ProjectTextTables() {
    return ReadTextTables(ZQ_SOURCE_DIR "/station_view/station_text_ids.h",
                          ZQ_SOURCE_DIR "/windows/res/zq61station_texts.rc");
}

Texts TextsFrom(const TextTables& tables, Language language) {
    auto shared = std::make_shared<TextTables>(tables);
    return Texts(language, [shared](Language which, int id) {
        auto table = shared->texts.find(which);
        if (table == shared->texts.end()) {
            return std::string();
        }
        auto text = table->second.find(id);
        return text == table->second.end() ? std::string() : text->second;
    });
}
