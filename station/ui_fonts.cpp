#include "ui_fonts.h"

#include <algorithm>

HFONT ShellFont(int pixelHeight, bool bold) {
    LOGFONTW font = {};
    lstrcpyW(font.lfFaceName, L"MS Shell Dlg 2");
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfHeight = -std::max(pixelHeight, 1);
    font.lfWidth = 0;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfQuality = CLEARTYPE_QUALITY;
    return CreateFontIndirectW(&font);
}

int FittingHeight(const wchar_t* text, int width, int maxHeight) {
    HDC screen = GetDC(nullptr);
    HFONT trial = ShellFont(maxHeight, true);
    HGDIOBJ old = SelectObject(screen, trial);
    SIZE size = {};
    GetTextExtentPoint32W(screen, text, lstrlenW(text), &size);
    SelectObject(screen, old);
    DeleteObject(trial);
    ReleaseDC(nullptr, screen);
    if (size.cx <= width || size.cx == 0) {
        return maxHeight;
    }
    return std::max(1, static_cast<int>(static_cast<long long>(maxHeight) * width / size.cx));
}

double DisplayScale() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi / 96.0 : 1.0;
}
