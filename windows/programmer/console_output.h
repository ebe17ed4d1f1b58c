// Output of the console programmer. Texts are UTF-8 inside; a console gets them as UTF-16, so
// Chinese and other product strings show right whatever the ANSI code page, and a file or a
// pipe gets the UTF-8 bytes. Lines from concurrent workers never interleave.
#pragma once

#include <string>

enum class Stream { Out, Err };

// Writes the text as it is (add the newline yourself).
void WriteText(Stream stream, const std::string& utf8);
// Writes the text and a newline.
void WriteLine(Stream stream, const std::string& utf8);
