// A real code-page converter with an explicit code page, for tests of the form conversions:
// Windows' own converter in the Windows build, glibc's iconv in the host build. Both follow the
// CodePage contract (best-fit '?' for what does not map, 0 when the output does not fit).
#pragma once

#include <memory>

#include "code_page.h"

std::unique_ptr<CodePage> MakeTestCodePage(int codePage);  // 1252 or 936
