// One line of a CSV file (RFC 4180): fields quoted when they hold a comma, a quote or a line
// break, quotes doubled inside.
#pragma once

#include <optional>
#include <string>
#include <vector>

std::string CsvLine(const std::vector<std::string>& fields);
// The fields of one line (without its line end); empty optional for a malformed one.
std::optional<std::vector<std::string>> CsvFields(const std::string& line);
