// The station's colours, by meaning: a tile and the banner that mean the same thing (good, a
// warning, a fault) look the same; and the brushes that paint them, made once for a window's
// life rather than on every paint.
#pragma once

#include <windows.h>

#include "banner.h"
#include "scoped_win.h"
#include "tile_content.h"

struct LookColours {
    COLORREF background;
    COLORREF text;
};

LookColours ColoursOf(TileLook look);
// Good, Warn and Fault in the colours of PASS, SKIPPED and FAIL; Info in the window's own.
LookColours ColoursOf(BannerLook look);

class LookBrushes {
public:
    // Made on first use, deleted with this object; valid while it lives.
    HBRUSH Background(TileLook look);
    HBRUSH Background(BannerLook look);
    // A darker edge that keeps two tiles of one colour apart.
    HBRUSH Edge();

private:
    static constexpr int kLooks = 5;
    win32::ScopedBrush tiles_[kLooks];
    win32::ScopedBrush edge_;
};
