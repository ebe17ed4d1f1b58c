// A whole file read into memory by its UTF-8 path, shared for reading: a list of serials, or a
// log looked at without being opened for a batch.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The file's bytes; empty, with Windows' error in error, when it cannot be read (a file larger
// than a list or a log ever is counts as unreadable).
std::optional<std::string> ReadWholeFile(const std::string& path, DWORD& error);
