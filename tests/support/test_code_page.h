// A real code-page converter with an explicit code page, for tests of the form conversions:
// Windows' own converter in the Windows build, glibc's iconv in the host build. Both follow the
// CodePage contract (best-fit '?' for what does not map, 0 when the output does not fit).
#pragma once

#include <memory>

#include "code_page.h"

// 1252, 936, or 65001 (UTF-8, where a cut can fall inside a surrogate pair's four bytes). Wine 8
// has no converter for 54936.
std::unique_ptr<CodePage> MakeTestCodePage(int codePage);
