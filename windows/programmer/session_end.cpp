#include "session_end.h"

#include <utility>

#include "scoped_win.h"

namespace {

constexpr wchar_t kWindowClass[] = L"zq61prog session end";

// The window's owner, on the window's thread: every message to the window is handled there,
// sent ones included.
thread_local SessionEndWindow* windowOwner = nullptr;

// A function of the loaded user32, or null. Through void(*)(): the one cast from FARPROC that
// the compilers accept without a warning.
template <typename Function>
Function Find(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

// The window's user32 functions. zq61prog loads user32 only for a batch: its load alone adds
// to every start, and list, read and write need no window.
struct SessionEndWindow::User32 {
    decltype(&::RegisterClassW) registerClass;
    decltype(&::CreateWindowExW) createWindow;
    decltype(&::GetMessageW) getMessage;
    decltype(&::DispatchMessageW) dispatchMessage;
    decltype(&::PostMessageW) postMessage;
    decltype(&::DefWindowProcW) defWindowProc;
    decltype(&::PostQuitMessage) postQuitMessage;
    decltype(&::ShutdownBlockReasonCreate) blockReasonCreate;
    decltype(&::ShutdownBlockReasonDestroy) blockReasonDestroy;

    explicit User32(HMODULE module)
        : registerClass(Find<decltype(registerClass)>(module, "RegisterClassW")),
          createWindow(Find<decltype(createWindow)>(module, "CreateWindowExW")),
          getMessage(Find<decltype(getMessage)>(module, "GetMessageW")),
          dispatchMessage(Find<decltype(dispatchMessage)>(module, "DispatchMessageW")),
          postMessage(Find<decltype(postMessage)>(module, "PostMessageW")),
          defWindowProc(Find<decltype(defWindowProc)>(module, "DefWindowProcW")),
          postQuitMessage(Find<decltype(postQuitMessage)>(module, "PostQuitMessage")),
          blockReasonCreate(Find<decltype(blockReasonCreate)>(module, "ShutdownBlockReasonCreate")),
          blockReasonDestroy(
              Find<decltype(blockReasonDestroy)>(module, "ShutdownBlockReasonDestroy")) {}

    bool Complete() const {
        return registerClass && createWindow && getMessage && dispatchMessage && postMessage &&
               defWindowProc && postQuitMessage && blockReasonCreate && blockReasonDestroy;
    }
};

SessionEndWindow::SessionEndWindow(std::function<void()> stop, HANDLE ended)
    : user32Module_(LoadLibraryW(L"user32.dll")), stop_(std::move(stop)), ended_(ended) {
    if (!user32Module_) {
        return;
    }
    user32_ = std::make_unique<User32>(user32Module_.Get());
    win32::AutoCloseHandle made(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!user32_->Complete() || !made) {
        return;
    }
    HANDLE madeEvent = made.Get();
    thread_ = std::thread([this, madeEvent] { Run(madeEvent); });
    WaitForSingleObject(madeEvent, INFINITE);
}

SessionEndWindow::~SessionEndWindow() {
    if (window_ != nullptr) {
        user32_->postMessage(window_, WM_CLOSE, 0, 0);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

// A window of its own thread, so that it answers while the batch's thread waits for its workers.
void SessionEndWindow::Run(HANDLE made) {
    windowOwner = this;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    user32_->registerClass(&windowClass);
    // Top-level (a message-only window hears no session messages), never shown.
    window_ = user32_->createWindow(0, kWindowClass, L"zq61prog batch", WS_OVERLAPPED, 0, 0, 0, 0,
                                    nullptr, nullptr, windowClass.hInstance, nullptr);
    SetEvent(made);
    if (window_ == nullptr) {
        return;
    }
    MSG message;
    while (user32_->getMessage(&message, nullptr, 0, 0) > 0) {
        user32_->dispatchMessage(&message);
    }
}

LRESULT CALLBACK SessionEndWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    SessionEndWindow* self = windowOwner;
    const User32& user32 = *self->user32_;
    switch (message) {
        case WM_QUERYENDSESSION:
            // The session may end, but not before the boards being written are recorded: the
            // reason is what Windows shows while it waits.
            self->stop_();
            user32.blockReasonCreate(window, L"zq61prog: the boards being written finish first");
            return TRUE;
        case WM_ENDSESSION:
            // Once this returns with the session ending, Windows ends the process.
            if (wParam) {
                WaitForSingleObject(self->ended_, INFINITE);
            }
            user32.blockReasonDestroy(window);
            return 0;
        case WM_DESTROY:
            user32.postQuitMessage(0);
            return 0;
        default:
            return user32.defWindowProc(window, message, wParam, lParam);
    }
}
