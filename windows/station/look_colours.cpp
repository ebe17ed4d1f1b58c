#include "look_colours.h"

namespace {

TileLook TileLookOf(BannerLook look) {
    switch (look) {
        case BannerLook::Good:
            return TileLook::Pass;
        case BannerLook::Warn:
            return TileLook::Skipped;
        case BannerLook::Fault:
            return TileLook::Fail;
        case BannerLook::Info:
            break;
    }
    return TileLook::Waiting;
}

}  // namespace

// Strong colours that read from a step away, each with a text colour of enough contrast.
LookColours ColoursOf(TileLook look) {
    switch (look) {
        case TileLook::Waiting:
            return {RGB(0xEC, 0xEF, 0xF1), RGB(0x37, 0x47, 0x4F)};
        case TileLook::Working:
            return {RGB(0xBB, 0xDE, 0xFB), RGB(0x0D, 0x47, 0xA1)};
        case TileLook::Pass:
            return {RGB(0x1B, 0x7A, 0x2E), RGB(0xFF, 0xFF, 0xFF)};
        case TileLook::Fail:
            return {RGB(0xC6, 0x28, 0x28), RGB(0xFF, 0xFF, 0xFF)};
        case TileLook::Skipped:
            return {RGB(0xFF, 0xB3, 0x00), RGB(0x21, 0x21, 0x21)};
    }
    return {RGB(0xFF, 0xFF, 0xFF), RGB(0, 0, 0)};
}

LookColours ColoursOf(BannerLook look) {
    if (look == BannerLook::Info) {
        return {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT)};
    }
    return ColoursOf(TileLookOf(look));
}

HBRUSH LookBrushes::Background(TileLook look) {
    win32::ScopedBrush& brush = tiles_[static_cast<int>(look) % kLooks];
    if (!brush) {
        brush.Reset(CreateSolidBrush(ColoursOf(look).background));
    }
    return brush.Get();
}

HBRUSH LookBrushes::Background(BannerLook look) {
    if (look == BannerLook::Info) {
        return GetSysColorBrush(COLOR_BTNFACE);  // the system's: never deleted
    }
    return Background(TileLookOf(look));
}

HBRUSH LookBrushes::Edge() {
    if (!edge_) {
        edge_.Reset(CreateSolidBrush(RGB(0x60, 0x60, 0x60)));
    }
    return edge_.Get();
}
