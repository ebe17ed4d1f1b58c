#include "tile_view.h"

#include <utility>

#include "station_ids.h"
#include "wide.h"

namespace {

struct LookColours {
    COLORREF background;
    COLORREF text;
};

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

HWND Text(HWND parent, int id, DWORD align) {
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOPREFIX | align, 0, 0, 0,
                           0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                           nullptr);
}

void SetText(HWND control, const std::string& text) {
    SetWindowTextW(control, Wide(text).c_str());
}

}  // namespace

void TileView::Register(HINSTANCE instance) {
    WNDCLASSEXW tileClass = {};
    tileClass.cbSize = sizeof(tileClass);
    tileClass.lpfnWndProc = Proc;
    tileClass.hInstance = instance;
    tileClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    tileClass.lpszClassName = STATION_TILE_CLASS;
    RegisterClassExW(&tileClass);
}

TileView::TileView(HWND parent, const std::string& port) : port_(port) {
    window_ = CreateWindowExW(0, STATION_TILE_CLASS, Wide(port).c_str(), WS_CHILD | WS_CLIPCHILDREN,
                              0, 0, 0, 0, parent, nullptr, nullptr, this);
    portText_ = Text(window_, IDC_TILE_PORT, SS_LEFT | SS_ENDELLIPSIS);
    state_ = Text(window_, IDC_TILE_STATE, SS_CENTER);
    main_ = Text(window_, IDC_TILE_MAIN, SS_CENTER);
    detail_ = Text(window_, IDC_TILE_DETAIL, SS_CENTER);
    advice_ = Text(window_, IDC_TILE_ADVICE, SS_CENTER);
    SetText(portText_, port);
    Show(WaitingTile());
}

void TileView::Show(const TileContent& content) {
    bool newLook = brush_ == nullptr || content.look != content_.look;
    // The texts change together and the tile is painted once, after the last of them: a
    // board's turn must not wait on a screen busy with half-changed tiles.
    SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    HBRUSH old = nullptr;
    if (newLook) {
        old = std::exchange(brush_, CreateSolidBrush(ColoursOf(content.look).background));
    }
    auto change = [](HWND control, const std::string& now, const std::string& before) {
        if (now != before) {
            SetText(control, now);
        }
    };
    change(state_, content.state, content_.state);
    change(main_, content.main, content_.main);
    change(detail_, content.detail, content_.detail);
    change(advice_, content.advice, content_.advice);
    content_ = content;
    SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    if (old != nullptr) {
        DeleteObject(old);
    }
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

LRESULT CALLBACK TileView::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* tile = reinterpret_cast<TileView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (tile == nullptr || tile->window_ == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return tile->Handle(message, wParam, lParam);
}

LRESULT TileView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, brush_);
            // A darker edge keeps two tiles of one colour apart.
            HBRUSH edge = CreateSolidBrush(RGB(0x60, 0x60, 0x60));
            FrameRect(reinterpret_cast<HDC>(wParam), &client, edge);
            DeleteObject(edge);
            return 1;
        }
        case WM_CTLCOLORSTATIC: {
            auto dc = reinterpret_cast<HDC>(wParam);
            LookColours colours = ColoursOf(content_.look);
            SetTextColor(dc, colours.text);
            SetBkColor(dc, colours.background);
            return reinterpret_cast<LRESULT>(brush_);
        }
        case WM_NCDESTROY: {
            if (brush_ != nullptr) {
                DeleteObject(brush_);
                brush_ = nullptr;
            }
            HWND window = std::exchange(window_, nullptr);
            return DefWindowProcW(window, message, wParam, lParam);
        }
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}
