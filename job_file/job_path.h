// Paths a job file names (its serial list, its label) are relative to the job file's own folder,
// so a job folder can be copied to another station or drive and still name its own files.
#pragma once

#include <string>

// path as it is when absolute (/x, \x, \\server\share, C:\x, C:/x); otherwise joined to the folder
// of jobFile. Both separators are understood, since a job written on one system may be read on the
// other; the one the job file's own path uses joins them. All UTF-8.
std::string ResolveBesideJob(const std::string& jobFile, const std::string& path);

// The path a job file written at jobFile names a file at target with (both full paths, UTF-8):
// relative to the job's folder when target is in that folder or below it, so the folder can be
// moved or copied with its files and still name them; target as it is otherwise, so a job moved
// without a file kept elsewhere still names it. Folders are compared as Windows does, case aside
// and either separator.
std::string PathFromJob(const std::string& jobFile, const std::string& target);
