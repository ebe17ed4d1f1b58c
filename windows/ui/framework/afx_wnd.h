// A thin wrapper of a window handle. It neither creates nor subclasses windows: it only names
// the calls the dialogs make, in their ANSI forms.
#pragma once

#include <windows.h>

#include "afx_cmd_target.h"

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    void Attach(HWND hwnd) { m_hWnd = hwnd; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    HWND GetDlgItem(int id) const;

    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    HMENU GetSystemMenu(BOOL revert) const;
    HICON SetIcon(HICON icon, BOOL big) const;
};
