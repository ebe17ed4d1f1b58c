// A list of serials assigned in advance (a customer's range, an ERP's export), read from a file's
// text: UTF-8 with or without a byte order mark, CRLF or LF, one serial a line or a CSV (RFC 4180:
// a quoted field may hold commas, "" and line breaks) whose first column holds them, with a
// header line recognised. The whole list is checked before a batch takes one: each serial as a
// single write checks it, none holding a quotation mark, and no serial twice; a refusal names the
// line its record starts on.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "result.h"

// The serials in the file's order, or why the list is refused. check: the serial check of a
// single write.
Result<std::vector<std::string>> ReadSerialList(
    std::string_view text, const std::function<Status(const std::string&)>& check);
