// The station's tiles, one per chip port, in the port map's order, in a grid that fills the
// space it is given: as many columns as fit, rows as tall as the space allows, and a scroll bar
// only when the tiles cannot be made small enough to fit.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tile_view.h"
#include "ui_fonts.h"

class TileArea {
public:
    static void Register(HINSTANCE instance);

    // scale: the display's pixels per inch over 96.
    void Create(HWND parent, double scale);
    HWND Window() const { return window_; }

    // The port's tile, made (waiting) when it has none, placed by the map's order.
    TileView& TileFor(const std::string& port, const std::vector<std::string>& map);
    // Null when the port has no tile.
    TileView* Find(const std::string& port);

    void Place(const RECT& rect);

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout();
    // Lays the tiles out for a client width; the height the rows take.
    int LayoutFor(int width, int height);
    void ScrollTo(int position);
    void MakeFonts(int tileWidth, int tileHeight);

    HWND window_ = nullptr;
    double scale_ = 1;
    std::vector<std::unique_ptr<TileView>> tiles_;  // in the order they are shown
    int scroll_ = 0;
    int contentHeight_ = 0;
    bool laying_ = false;
    SIZE fontsFor_ = {0, 0};
    OwnedFont portFont_, stateFont_, mainFont_, detailFont_, adviceFont_;
};
