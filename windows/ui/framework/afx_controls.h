// The standard controls the dialogs bind to: CWnd plus the control's own messages.
#pragma once

#include "afx_wnd.h"

class CComboBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(SendMessage(CB_SETCURSEL, index)); }
    int AddString(const char* text) const {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(int index) const {
        return static_cast<int>(SendMessage(CB_DELETESTRING, index));
    }
    int GetLBTextLen(int index) const {
        return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, index));
    }
    // The buffer must hold GetLBTextLen(index) + 1 bytes.
    int GetLBText(int index, char* buffer) const {
        return static_cast<int>(SendMessage(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer)));
    }
};

class CEdit : public CWnd {
public:
    void LimitText(int chars) const { SendMessage(EM_LIMITTEXT, chars); }
};
