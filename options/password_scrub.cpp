#include "password_scrub.h"

#include <vector>

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The length of a password key ("pwd" or "password") and its '=' at `at`, or 0.
size_t PasswordKeyAt(const std::string& text, size_t at) {
    if (at > 0 && IsWordChar(text[at - 1])) {
        return 0;
    }
    for (const std::string key : {"password", "pwd"}) {
        if (text.size() - at < key.size()) {
            continue;
        }
        bool same = true;
        for (size_t k = 0; k < key.size() && same; k++) {
            same = Lower(text[at + k]) == key[k];
        }
        size_t end = at + key.size();
        if (!same || (end < text.size() && IsWordChar(text[end]))) {
            continue;
        }
        while (end < text.size() && text[end] == ' ') {
            end++;
        }
        if (end < text.size() && text[end] == '=') {
            return end + 1 - at;
        }
    }
    return 0;
}

// The end of a value starting at `at`: a braced value runs to its closing brace ("}}" is a
// brace inside it), any other to the next separator.
size_t ValueEnd(const std::string& text, size_t at, bool inConnectionString) {
    if (at < text.size() && text[at] == '{') {
        size_t i = at + 1;
        while (i < text.size()) {
            if (text[i] == '}') {
                if (i + 1 < text.size() && text[i + 1] == '}') {
                    i += 2;
                    continue;
                }
                return i + 1;
            }
            i++;
        }
        return text.size();
    }
    size_t i = at;
    while (i < text.size() && text[i] != ';' &&
           (inConnectionString || (text[i] != ' ' && text[i] != '"' && text[i] != '\'' &&
                                   text[i] != ')' && text[i] != '\n'))) {
        i++;
    }
    return i;
}

// The passwords a connection string holds, as the driver receives them (braces taken off).
std::vector<std::string> PasswordsOf(const std::string& connection) {
    std::vector<std::string> passwords;
    for (size_t i = 0; i < connection.size(); i++) {
        if (const size_t key = PasswordKeyAt(connection, i)) {
            size_t start = i + key;
            while (start < connection.size() && connection[start] == ' ') {
                start++;
            }
            const size_t end = ValueEnd(connection, start, true);
            std::string value = connection.substr(start, end - start);
            if (value.size() >= 2 && value.front() == '{' && value.back() == '}') {
                std::string inner;
                for (size_t k = 1; k + 1 < value.size(); k++) {
                    inner.push_back(value[k]);
                    if (value[k] == '}' && value[k + 1] == '}') {
                        k++;
                    }
                }
                passwords.push_back(value);
                value = inner;
            }
            passwords.push_back(value);
            i = end;
        }
    }
    return passwords;
}

}  // namespace

std::string ScrubPasswords(const std::string& text, const std::string& connection) {
    std::string scrubbed;
    for (size_t i = 0; i < text.size(); i++) {
        if (const size_t key = PasswordKeyAt(text, i)) {
            size_t start = i + key;
            while (start < text.size() && text[start] == ' ') {
                start++;
            }
            scrubbed.append(text, i, start - i);
            scrubbed += "***";
            i = ValueEnd(text, start, false) - 1;
            continue;
        }
        scrubbed.push_back(text[i]);
    }
    // Shorter passwords would mask ordinary words; the keys above still catch them.
    for (const std::string& password : PasswordsOf(connection)) {
        if (password.size() < 3) {
            continue;
        }
        for (size_t at = scrubbed.find(password); at != std::string::npos;
             at = scrubbed.find(password, at + 3)) {
            scrubbed.replace(at, password.size(), "***");
        }
    }
    return scrubbed;
}
