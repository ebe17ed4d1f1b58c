// What a command line that could not be parsed is told, with no password in it. The parser's
// message quotes what it did not expect, and a mistyped option (--leger for --ledger) leaves a
// connection string among those words: the console, its JSON and a station's box all show it.
#pragma once

#include <string>
#include <vector>

// The parser's message with every password key's value, and every password any argument holds,
// replaced by "***".
std::string ScrubbedParseError(const std::string& message, const std::vector<std::string>& args);
