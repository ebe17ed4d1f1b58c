// Paths a job file names (its serial list, its label) are relative to the job file's own folder,
// so a job folder can be copied to another station or drive and still name its own files.
#pragma once

#include <string>

// path as it is when absolute (/x, \x, \\server\share, C:\x, C:/x); otherwise joined to the folder
// of jobFile. Both separators are understood, since a job written on one system may be read on the
// other; the one the job file's own path uses joins them. All UTF-8.
std::string ResolveBesideJob(const std::string& jobFile, const std::string& path);
