// A thin wrapper of a window handle. It neither creates nor subclasses windows: it only names
// the calls the dialogs make, in their ANSI forms.
#pragma once

#include <windows.h>

#include "afx_cmd_target.h"

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND Detach();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    HWND GetDlgItem(int id) const;
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void SetWindowText(const char* text) const;
    int GetWindowText(char* buffer, int bufferSize) const;
    BOOL EnableWindow(BOOL enable) const;
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    HMENU GetSystemMenu(BOOL revert) const;
    HICON SetIcon(HICON icon, BOOL big) const;
};
