// Passwords kept out of every message: the SQL ledger's, which may quote its connection string,
// and a command line's, which may hold one. Below the options and the ledger, so each reaches it.
#pragma once

#include <string>

// The text with the value of every Pwd=, PWD= or Password= key replaced by "***", and every
// password the connection string holds replaced wherever it appears: a driver may quote the
// connection string, or the completed one, in its messages.
std::string ScrubPasswords(const std::string& text, const std::string& connection);
