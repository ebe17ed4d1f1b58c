// The configuration core's code-page conversions over the system's own, for one code page
// (CP_ACP in the tool).
#pragma once

#include <windows.h>

#include "code_page.h"

class WinCodePage : public CodePage {
public:
    explicit WinCodePage(UINT codePage) : codePage(codePage) {}
    int ToWide(const char* text, int length, uint16_t* units, int unitCapacity) override;
    int ToAnsi(const uint16_t* units, int count, char* bytes, int byteCapacity) override;

private:
    UINT codePage;
};
