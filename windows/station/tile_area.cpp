#include "tile_area.h"

#include <algorithm>
#include <optional>

#include "port_name.h"
#include "port_order.h"
#include "station_ids.h"
#include "ui_fonts.h"
#include "ui_texts.h"
#include "window_text.h"

namespace {

// At 96 pixels per inch: eight tiles, four by two, fit the space a 1024 x 768 screen leaves.
constexpr int kGap = 8;
constexpr int kMinWidth = 220;
constexpr int kMinHeight = 190;
constexpr int kMaxHeight = 400;
constexpr int kWheelStep = 60;

}  // namespace

void TileArea::Register(HINSTANCE instance) {
    RegisterWindowClass(instance, STATION_TILE_AREA_CLASS, 0,
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    TileView::Register(instance);
}

TileFonts TileArea::Fonts::Handles() const {
    return {port.Get(), state.Get(), main.Get(), detail.Get(), advice.Get()};
}

void TileArea::Create(HWND parent, double scale) {
    scale_ = scale;
    CreateWindowExW(0, STATION_TILE_AREA_CLASS, L"",
                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TILE_AREA)), nullptr, this);
}

TileView* TileArea::Find(const std::string& port) {
    for (const auto& tile : tiles_) {
        if (SamePort(tile->Port(), port)) {
            return tile.get();
        }
    }
    return nullptr;
}

TileView& TileArea::TileFor(const std::string& port, const std::vector<std::string>& map) {
    if (TileView* tile = Find(port)) {
        return *tile;
    }
    std::vector<std::string> known;
    for (const auto& tile : tiles_) {
        known.push_back(tile->Port());
    }
    std::vector<std::string> order = MergePortOrder(known, map);
    if (!HasPort(order, port)) {
        order.push_back(port);
    }
    auto made = std::make_unique<TileView>(window_, port, brushes_);
    TileView& tile = *made;
    // The tiles in the merged order; ports of the map with no chip get no tile.
    std::vector<std::unique_ptr<TileView>> ordered;
    for (const std::string& name : order) {
        if (SamePort(name, port)) {
            ordered.push_back(std::move(made));
            continue;
        }
        for (auto& existing : tiles_) {
            if (existing && SamePort(existing->Port(), name)) {
                ordered.push_back(std::move(existing));
            }
        }
    }
    tiles_ = std::move(ordered);
    Layout();
    return tile;
}

void TileArea::Place(const RECT& rect) {
    MoveWindow(window_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    Layout();
}

void TileArea::Layout() {
    if (laying_ || window_ == nullptr) {
        return;
    }
    laying_ = true;
    RECT client;
    GetClientRect(window_, &client);
    // Laid out for the width with no scroll bar first; for the narrower one when they overflow.
    bool barShown = (GetWindowLongW(window_, GWL_STYLE) & WS_VSCROLL) != 0;
    int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    int fullWidth = client.right + (barShown ? barWidth : 0);
    contentHeight_ = LayoutFor(fullWidth, client.bottom);
    int width = fullWidth;
    if (contentHeight_ > client.bottom) {
        width = fullWidth - barWidth;
        contentHeight_ = LayoutFor(width, client.bottom);
    }
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = 0;
    info.nMax = std::max(contentHeight_ - 1, 0);
    info.nPage = static_cast<UINT>(std::max(static_cast<int>(client.bottom), 0));
    SetScrollInfo(window_, SB_VERT, &info, TRUE);
    laying_ = false;
    ScrollTo(scroll_);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

int TileArea::Columns(int width, int height) const {
    int gap = static_cast<int>(kGap * scale_);
    int minHeight = static_cast<int>(kMinHeight * scale_);
    int maxHeight = static_cast<int>(kMaxHeight * scale_);
    int count = static_cast<int>(tiles_.size());
    // The columns that make the tiles largest, judged by the smaller of their width and their
    // height (a tile reads best somewhat wider than tall); as many as fit when none fit
    // without scrolling.
    int fit = std::max(1, (width - gap) / (static_cast<int>(kMinWidth * scale_) + gap));
    int columns = std::min(fit, count);
    double best = -1;
    for (int candidate = std::min(fit, count); candidate >= 1; candidate--) {
        int rows = (count + candidate - 1) / candidate;
        int candidateWidth = (width - gap * (candidate + 1)) / candidate;
        int candidateHeight = std::min((height - gap * (rows + 1)) / rows, maxHeight);
        if (candidateHeight < minHeight) {
            continue;
        }
        double size = std::min(candidateWidth, candidateHeight * 4 / 3);
        if (size > best) {
            best = size;
            columns = candidate;
        }
    }
    return columns;
}

int TileArea::LayoutFor(int width, int height) {
    int count = static_cast<int>(tiles_.size());
    if (count == 0) {
        return 0;
    }
    int gap = static_cast<int>(kGap * scale_);
    int columns = Columns(width, height);
    int rows = (count + columns - 1) / columns;
    int tileWidth = std::max((width - gap * (columns + 1)) / columns, 1);
    int tileHeight =
        std::clamp((height - gap * (rows + 1)) / rows, static_cast<int>(kMinHeight * scale_),
                   static_cast<int>(kMaxHeight * scale_));
    // New fonts for a new size: the tiles take them before the old ones are deleted, which
    // happens only when they are replaced below.
    std::optional<Fonts> made;
    if (fontsFor_.cx != tileWidth || fontsFor_.cy != tileHeight) {
        made = MakeFonts(tileWidth, tileHeight);
        fontsFor_ = {tileWidth, tileHeight};
    }
    TileFonts fonts = made ? made->Handles() : fonts_.Handles();
    for (int i = 0; i < count; i++) {
        int column = i % columns;
        int row = i / columns;
        RECT rect;
        rect.left = gap + column * (tileWidth + gap);
        rect.top = gap + row * (tileHeight + gap) - scroll_;
        rect.right = rect.left + tileWidth;
        rect.bottom = rect.top + tileHeight;
        tiles_[i]->Place(rect, fonts);
    }
    if (made) {
        fonts_ = std::move(*made);
    }
    return gap + rows * (tileHeight + gap);
}

namespace {

// The largest height up to maxHeight at which every one of texts fits width.
int FittingAll(const std::vector<std::string>& texts, int width, int maxHeight) {
    int height = maxHeight;
    for (const std::string& text : texts) {
        height = std::min(height, FittingHeight(WideFromUtf8(text).c_str(), width, maxHeight));
    }
    return height;
}

}  // namespace

TileArea::Fonts TileArea::MakeFonts(int tileWidth, int tileHeight) const {
    int inner = tileWidth - 2 * (tileWidth / 24);
    int small = std::max(std::min(tileHeight / 14, tileWidth / 16), static_cast<int>(12 * scale_));
    Fonts fonts;
    fonts.port = ShellFont(std::max(tileHeight / 13, small), true);
    fonts.state = ShellFont(FittingAll(StateWords(Words()), inner, tileHeight / 8), true);
    // The serial, the word that matters most, as large as the widest main text lets it be.
    fonts.main = ShellFont(FittingAll(MainTexts(Words()), inner * 9 / 10, tileHeight / 6), true);
    fonts.detail = ShellFont(small, false);
    fonts.advice = ShellFont(FittingAll(AdviceTexts(Words()), inner, small), true);
    return fonts;
}

void TileArea::ScrollTo(int position) {
    RECT client;
    GetClientRect(window_, &client);
    int limit = std::max(contentHeight_ - static_cast<int>(client.bottom), 0);
    position = std::clamp(position, 0, limit);
    int delta = scroll_ - position;
    scroll_ = position;
    SetScrollPos(window_, SB_VERT, scroll_, TRUE);
    if (delta != 0) {
        ScrollWindowEx(window_, 0, delta, nullptr, nullptr, nullptr, nullptr,
                       SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    }
}

void TileArea::OnScroll(WPARAM wParam) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(window_, SB_VERT, &info);
    int position = scroll_;
    switch (LOWORD(wParam)) {
        case SB_LINEUP:
            position -= static_cast<int>(kWheelStep * scale_);
            break;
        case SB_LINEDOWN:
            position += static_cast<int>(kWheelStep * scale_);
            break;
        case SB_PAGEUP:
            position -= static_cast<int>(info.nPage);
            break;
        case SB_PAGEDOWN:
            position += static_cast<int>(info.nPage);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            position = info.nTrackPos;
            break;
        case SB_TOP:
            position = 0;
            break;
        case SB_BOTTOM:
            position = contentHeight_;
            break;
    }
    ScrollTo(position);
}

LRESULT TileArea::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_VSCROLL:
            OnScroll(wParam);
            return 0;
        case WM_MOUSEWHEEL:
            ScrollTo(scroll_ - GET_WHEEL_DELTA_WPARAM(wParam) *
                                   static_cast<int>(kWheelStep * scale_) / WHEEL_DELTA);
            return 0;
    }
    return Default(message, wParam, lParam);
}
