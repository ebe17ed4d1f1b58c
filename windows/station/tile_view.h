// One chip port's tile: a coloured panel whose texts are real static controls (port, state word,
// the large main line, detail, advice), so that anything reading windows (a screen reader, a
// test driving the station from another process) reads what the operator sees.
#pragma once

#include <windows.h>

#include <string>

#include "look_colours.h"
#include "tile_content.h"
#include "window_thunk.h"

struct TileFonts {
    HFONT port;
    HFONT state;
    HFONT main;
    HFONT detail;
    HFONT advice;
};

class TileView : public win32::WindowObject {
public:
    static void Register(HINSTANCE instance);

    // A waiting tile for the port, hidden until placed; painted with brushes, which outlive it.
    TileView(HWND parent, const std::string& port, LookBrushes& brushes);

    const std::string& Port() const { return port_; }
    const TileContent& Content() const { return content_; }
    void Show(const TileContent& content);
    // Moves the tile (in its parent's client coordinates) and lays its texts out in it.
    void Place(const RECT& rect, const TileFonts& fonts);

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;

    std::string port_;
    TileContent content_;
    LookBrushes& brushes_;
    HWND portText_ = nullptr;
    HWND state_ = nullptr;
    HWND main_ = nullptr;
    HWND detail_ = nullptr;
    HWND advice_ = nullptr;
};
