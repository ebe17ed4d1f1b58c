#include "column_number.h"

#include <charconv>

std::optional<int64_t> NumberIn(const std::optional<std::string>& text) {
    if (!text || text->empty()) {
        return std::nullopt;
    }
    int64_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<int64_t> NumberAt(const odbc::Rows& result, size_t column) {
    if (result.rows.empty() || result.rows.front().size() <= column) {
        return std::nullopt;
    }
    return NumberIn(result.rows.front()[column]);
}

std::optional<int64_t> NumberAt(const odbc::Answer& answer, size_t column) {
    return answer ? NumberAt(*answer, column) : std::nullopt;
}
