// Fonts for the station's window: the shell's dialog face, the one the set-up form has too (on
// every language edition of Windows it links the CJK fonts the status texts need), at pixel
// sizes the caller has scaled for the display.
#pragma once

#include <windows.h>

// A font of the shell's dialog face; the caller deletes it.
HFONT ShellFont(int pixelHeight, bool bold);

// The largest height up to maxHeight at which text, in the bold face, fits width.
int FittingHeight(const wchar_t* text, int width, int maxHeight);

// The display's pixels per inch over 96: what every size of the window is multiplied by.
double DisplayScale();

// Holds a font and deletes it when replaced or destroyed.
class OwnedFont {
public:
    OwnedFont() = default;
    ~OwnedFont() { Reset(nullptr); }
    OwnedFont(const OwnedFont&) = delete;
    OwnedFont& operator=(const OwnedFont&) = delete;
    void Reset(HFONT font) {
        if (font_ != nullptr) {
            DeleteObject(font_);
        }
        font_ = font;
    }
    HFONT Get() const { return font_; }

private:
    HFONT font_ = nullptr;
};
