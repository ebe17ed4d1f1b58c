#include "session_end.h"

#include <utility>

#include "scoped_win.h"

namespace {

constexpr wchar_t kWindowClass[] = L"zq61prog session end";

}  // namespace

SessionEndWindow::SessionEndWindow(std::function<void()> stop, HANDLE ended)
    : stop_(std::move(stop)), ended_(ended) {
    win32::AutoCloseHandle made(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!made) {
        return;
    }
    HANDLE madeEvent = made.Get();
    thread_ = std::thread([this, madeEvent] { Run(madeEvent); });
    WaitForSingleObject(made.Get(), INFINITE);
}

SessionEndWindow::~SessionEndWindow() {
    if (window_ != nullptr) {
        PostMessageW(window_, WM_CLOSE, 0, 0);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

// A window of its own thread, so that it answers while the batch's thread waits for its workers.
void SessionEndWindow::Run(HANDLE made) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    // Top-level (a message-only window hears no session messages), never shown.
    window_ = CreateWindowExW(0, kWindowClass, L"zq61prog batch", WS_OVERLAPPED, 0, 0, 0, 0,
                              nullptr, nullptr, windowClass.hInstance, this);
    SetEvent(made);
    if (window_ == nullptr) {
        return;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK SessionEndWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(created->lpCreateParams));
    }
    auto* self = reinterpret_cast<SessionEndWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_QUERYENDSESSION:
            // The session may end, but not before the boards being written are recorded: the
            // reason is what Windows shows while it waits. Windows only: Wine's end of a
            // session does not wait for a program, and the tests send these messages themselves.
            self->stop_();
            ShutdownBlockReasonCreate(window, L"zq61prog: the boards being written finish first");
            return TRUE;
        case WM_ENDSESSION:
            // Once this returns with the session ending, Windows ends the process.
            if (wParam) {
                WaitForSingleObject(self->ended_, INFINITE);
            }
            ShutdownBlockReasonDestroy(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
