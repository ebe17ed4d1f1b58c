// A file that appears whole or not at all, for software that watches a folder: the bytes go to
// a temporary name no watcher takes for a label (it ends in .tmp), are flushed to the disk, and
// only then is the file renamed into place. The system's own calls (POSIX on the host, Win32 on
// Windows) behind one interface; paths are UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "result.h"

// Writes the bytes to a new temporary file in the folder and flushes them; its path. On a
// failure nothing of it is left.
Result<std::string> WriteTemporaryFile(const std::string& folder, std::string_view bytes);

// Renames the temporary file to `path`, unless a file of that name exists: false then, and the
// temporary file is still there.
Result<bool> MoveIntoPlace(const std::string& temporary, const std::string& path);

// Removes a file, if it is there.
void RemoveFile(const std::string& path);
