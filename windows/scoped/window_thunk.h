// From the window system's procedures to the objects behind the windows: one way for every
// window class and dialog of the programs to find its object, so that no message reaches an
// object before it is known or after its window is gone.
#pragma once

#include <windows.h>

namespace win32 {

// An object behind a window of a class registered with RegisterWindowClass: created with this
// object as CreateWindowExW's last argument. window_ is set from WM_NCCREATE on (the messages
// CreateWindowExW sends before it returns find it) and cleared once the window is destroyed.
class WindowObject {
public:
    WindowObject() = default;
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

    HWND Window() const { return window_; }

    // A window class whose windows are WindowObjects. background: a brush or a system colour +
    // 1; null when the object paints its own.
    static bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, UINT style,
                                    HBRUSH background, HICON icon = nullptr) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = style;
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = instance;
        windowClass.hIcon = icon;
        // The system's arrow, by its number whatever the includer's character set.
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = background;
        windowClass.lpszClassName = name;
        return RegisterClassExW(&windowClass) != 0;
    }

protected:
    ~WindowObject() = default;
    // One message of the object's window; what it does not handle goes to DefWindowProcW.
    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(window_, message, wParam, lParam);
    }

    HWND window_ = nullptr;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* object = static_cast<WindowObject*>(
                reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            object->window_ = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        }
        auto* object = reinterpret_cast<WindowObject*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (object == nullptr || object->window_ == nullptr) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY) {
            // The last message: the object may outlive its window, and must not see another.
            LRESULT result = object->Handle(message, wParam, lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            object->window_ = nullptr;
            return result;
        }
        return object->Handle(message, wParam, lParam);
    }
};

// A dialog procedure for an object of type Owner, handed in as the dialog's creation parameter
// (DialogBoxParam's last argument). Messages sent before WM_INITDIALOG (WM_SETFONT) find no
// object and get the dialog manager's defaults. Owner::DialogMessage is the dialog procedure's
// body for the object.
template <typename Owner>
INT_PTR CALLBACK DialogThunk(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (owner == nullptr) {
        return FALSE;
    }
    return owner->DialogMessage(dialog, message, wParam, lParam);
}

}  // namespace win32
