// The station's tiles, one per chip port, in the port map's order, in a grid that fills the
// space it is given: as many columns as fit, rows as tall as the space allows, and a scroll bar
// only when the tiles cannot be made small enough to fit.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "look_colours.h"
#include "scoped_win.h"
#include "tile_view.h"
#include "window_thunk.h"

class TileArea : public win32::WindowObject {
public:
    static void Register(HINSTANCE instance);

    // scale: the display's pixels per inch over 96.
    void Create(HWND parent, double scale);

    // The port's tile, made (waiting) when it has none, placed by the map's order.
    TileView& TileFor(const std::string& port, const std::vector<std::string>& map);
    // Null when the port has no tile.
    TileView* Find(const std::string& port);

    void Place(const RECT& rect);

private:
    // The fonts of tiles of one size.
    struct Fonts {
        win32::ScopedFont port, state, main, detail, advice;
        TileFonts Handles() const;
    };

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Layout();
    // Lays the tiles out for a client width; the height the rows take.
    int LayoutFor(int width, int height);
    // How many columns make the tiles largest for the space.
    int Columns(int width, int height) const;
    void ScrollTo(int position);
    void OnScroll(WPARAM wParam);
    Fonts MakeFonts(int tileWidth, int tileHeight) const;

    double scale_ = 1;
    LookBrushes brushes_;                           // before the tiles: they paint with it
    std::vector<std::unique_ptr<TileView>> tiles_;  // in the order they are shown
    int scroll_ = 0;
    int contentHeight_ = 0;
    bool laying_ = false;
    SIZE fontsFor_ = {0, 0};
    Fonts fonts_;
};
