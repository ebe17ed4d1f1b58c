// Text helpers of the SQL ledger: UTF-8 and UTF-16 for ODBC's wide calls, and passwords kept out
// of every message.
#pragma once

#include <string>

namespace odbc {

// Invalid UTF-8 becomes U+FFFD: a value is never cut short on its way to the database.
std::u16string Utf8ToUtf16(const std::string& text);
// An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace odbc

// The text with the value of every Pwd=, PWD= or Password= key replaced by "***", and every
// password the connection string holds replaced wherever it appears: a driver may quote the
// connection string, or the completed one, in its messages.
std::string ScrubPasswords(const std::string& text, const std::string& connection);
