// A column's text read as a whole number. The database's text is not trusted to be one (a column
// edited by hand, another engine's spelling): a value that is not a number is an answer the
// ledger reports, never an exception thrown inside an open transaction.
#pragma once

#include <cstdint>
#include <optional>

#include "odbc_session.h"

// The first row's column as a whole number; empty when there is no such row or column, or its
// text is NULL or not a whole number.
std::optional<int64_t> NumberAt(const odbc::Rows& result, size_t column = 0);
// The same of a statement's answer; empty also when the statement failed.
std::optional<int64_t> NumberAt(const odbc::Answer& answer, size_t column = 0);
std::optional<int64_t> NumberIn(const std::optional<std::string>& text);
