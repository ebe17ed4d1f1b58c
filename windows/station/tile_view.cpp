#include "tile_view.h"

#include "station_ids.h"
#include "ui_texts.h"
#include "window_text.h"

namespace {

HWND Text(HWND parent, int id, DWORD align) {
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOPREFIX | align, 0, 0, 0,
                           0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                           nullptr);
}

}  // namespace

void TileView::Register(HINSTANCE instance) {
    RegisterWindowClass(instance, STATION_TILE_CLASS, 0, nullptr);
}

TileView::TileView(HWND parent, const std::string& port, LookBrushes& brushes)
    : port_(port), brushes_(brushes) {
    CreateWindowExW(0, STATION_TILE_CLASS, WideFromUtf8(port).c_str(), WS_CHILD | WS_CLIPCHILDREN,
                    0, 0, 0, 0, parent, nullptr, nullptr, this);
    portText_ = Text(window_, IDC_TILE_PORT, SS_LEFT | SS_ENDELLIPSIS);
    state_ = Text(window_, IDC_TILE_STATE, SS_CENTER);
    main_ = Text(window_, IDC_TILE_MAIN, SS_CENTER);
    detail_ = Text(window_, IDC_TILE_DETAIL, SS_CENTER);
    advice_ = Text(window_, IDC_TILE_ADVICE, SS_CENTER);
    SetText(portText_, port);
    Show(WaitingTile(Words()));
}

void TileView::Show(const TileContent& content) {
    // The texts change together and the tile is painted once, after the last of them: a
    // board's turn must not wait on a screen busy with half-changed tiles.
    SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    SetText(state_, content.state);
    SetText(main_, content.main);
    SetText(detail_, content.detail);
    SetText(advice_, content.advice);
    content_ = content;
    SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TileView::Place(const RECT& rect, const TileFonts& fonts) {
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    MoveWindow(window_, rect.left, rect.top, width, height, TRUE);
    // Top to bottom: port, state word, main line, detail, advice, in shares of the height.
    int pad = width / 24;
    int inner = width - 2 * pad;
    int y = pad / 2;
    auto row = [&](HWND control, HFONT font, int share) {
        int rowHeight = (height - pad) * share / 100;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        MoveWindow(control, pad, y, inner, rowHeight, TRUE);
        y += rowHeight;
    };
    row(portText_, fonts.port, 13);
    row(state_, fonts.state, 18);
    row(main_, fonts.main, 24);
    row(detail_, fonts.detail, 30);
    row(advice_, fonts.advice, 15);
    ShowWindow(window_, SW_SHOWNA);
}

LRESULT TileView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, brushes_.Background(content_.look));
            FrameRect(reinterpret_cast<HDC>(wParam), &client, brushes_.Edge());
            return 1;
        }
        case WM_CTLCOLORSTATIC: {
            auto dc = reinterpret_cast<HDC>(wParam);
            LookColours colours = ColoursOf(content_.look);
            SetTextColor(dc, colours.text);
            SetBkColor(dc, colours.background);
            return reinterpret_cast<LRESULT>(brushes_.Background(content_.look));
        }
    }
    return Default(message, wParam, lParam);
}
