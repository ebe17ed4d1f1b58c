#include "ui_fonts.h"

#include <algorithm>

win32::ScopedFont ShellFont(int pixelHeight, bool bold) {
    LOGFONTW font = {};
    lstrcpyW(font.lfFaceName, L"MS Shell Dlg 2");
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfHeight = -std::max(pixelHeight, 1);
    font.lfWidth = 0;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfQuality = CLEARTYPE_QUALITY;
    return win32::ScopedFont(CreateFontIndirectW(&font));
}

int FittingHeight(const wchar_t* text, int width, int maxHeight) {
    SIZE size = {};
    {
        // The font outlives its selection: the selection is undone first.
        win32::ScopedFont trial = ShellFont(maxHeight, true);
        win32::ScopedGetDC screen(nullptr);
        win32::ScopedSelectObject selected(screen, trial.Get());
        GetTextExtentPoint32W(screen, text, lstrlenW(text), &size);
    }
    if (size.cx <= width || size.cx == 0) {
        return maxHeight;
    }
    return std::max(1, static_cast<int>(static_cast<long long>(maxHeight) * width / size.cx));
}

double DisplayScale() {
    win32::ScopedGetDC screen(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    return dpi > 0 ? dpi / 96.0 : 1.0;
}
