// A whole file by its UTF-8 path: read into memory, shared for reading (a list of serials, a job,
// a log looked at without being opened for a batch), or written in one go (a captured job).
#pragma once

#include <windows.h>

#include <string>

#include "result.h"

// The file's bytes, or Windows' error when it cannot be read (a file larger than a list or a log
// ever is counts as unreadable: ERROR_FILE_TOO_LARGE).
Result<std::string, DWORD> ReadWholeFile(const std::string& path);

// The bytes of a file an option names, for a command: throws a CommandFailure (EXIT_BAD_USAGE)
// "option: cannot read PATH (error N)" when it cannot be read. option names the option, and
// within a job the key ("--job: label").
std::string ReadOptionFile(const std::string& option, const std::string& path);

// Writes bytes as the whole file, or fails with Windows' error. replace false: a file already
// there is left alone and the write fails with ERROR_FILE_EXISTS.
Result<void, DWORD> WriteWholeFile(const std::string& path, const std::string& bytes, bool replace);

// Whether something (a file or a folder) is at the path.
bool PathExists(const std::string& path);
