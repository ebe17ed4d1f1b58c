#include "ui_fonts.h"

#include <algorithm>

namespace {

constexpr const wchar_t* kShellFace = L"MS Shell Dlg 2";
// Windows' Chinese interface fonts, best first; SimSun is on every Windows with Chinese support.
constexpr const wchar_t* kChineseFaces[] = {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun"};

const wchar_t* face = kShellFace;

win32::ScopedFont FontOf(const wchar_t* name, int pixelHeight, bool bold) {
    LOGFONTW font = {};
    lstrcpynW(font.lfFaceName, name, LF_FACESIZE);
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfHeight = -std::max(pixelHeight, 1);
    font.lfWidth = 0;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfQuality = CLEARTYPE_QUALITY;
    return win32::ScopedFont(CreateFontIndirectW(&font));
}

// Whether the font the name gives holds the glyphs of a Chinese sentence itself: a missing
// face is replaced by another that may hold none.
bool HasChineseGlyphs(const wchar_t* name) {
    const wchar_t probe[] = L"通过失败序列号";
    WORD glyphs[std::size(probe) - 1] = {};
    win32::ScopedFont font = FontOf(name, 16, false);
    win32::ScopedGetDC screen(nullptr);
    win32::ScopedSelectObject selected(screen, font.Get());
    DWORD got = GetGlyphIndicesW(screen, probe, static_cast<int>(std::size(glyphs)), glyphs,
                                 GGI_MARK_NONEXISTING_GLYPHS);
    return got == std::size(glyphs) &&
           std::none_of(std::begin(glyphs), std::end(glyphs), [](WORD g) { return g == 0xFFFF; });
}

}  // namespace

void UseFontsFor(Language language) {
    face = kShellFace;
    if (language != Language::Chinese) {
        return;
    }
    for (const wchar_t* name : kChineseFaces) {
        if (HasChineseGlyphs(name)) {
            face = name;
            return;
        }
    }
}

const wchar_t* UiFace() {
    return face;
}

win32::ScopedFont ShellFont(int pixelHeight, bool bold) {
    return FontOf(face, pixelHeight, bold);
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
