#include "text_format.h"

namespace {

// The insertion number of the digit after a %, 0 when it is none.
int NumberAt(const std::string& pattern, size_t at) {
    if (at >= pattern.size() || pattern[at] < '1' || pattern[at] > '9') {
        return 0;
    }
    return pattern[at] - '0';
}

}  // namespace

std::string FormatText(const std::string& pattern, const std::vector<std::string>& insertions) {
    std::string text;
    for (size_t i = 0; i < pattern.size(); i++) {
        if (pattern[i] != '%') {
            text += pattern[i];
        } else if (int number = NumberAt(pattern, i + 1)) {
            if (static_cast<size_t>(number) <= insertions.size()) {
                text += insertions[number - 1];
            }
            i++;
        } else if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            text += '%';
            i++;
        } else {
            text += '%';
        }
    }
    return text;
}

std::set<int> InsertionNumbers(const std::string& pattern) {
    std::set<int> numbers;
    for (size_t i = 0; i + 1 < pattern.size(); i++) {
        if (pattern[i] == '%' && pattern[i + 1] == '%') {
            i++;
        } else if (pattern[i] == '%' && NumberAt(pattern, i + 1) != 0) {
            numbers.insert(NumberAt(pattern, i + 1));
        }
    }
    return numbers;
}
