// Modal dialogs from resource templates, with message-map dispatch in the dialog procedure.
#pragma once

#include "afx_data_exchange.h"
#include "afx_wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr)
        : templateId(templateId), parent(parent) {}

    // Runs the dialog; the result is what EndDialog was given, or -1 when it could not be shown.
    virtual INT_PTR DoModal();
    void EndDialog(int result) const;

    // The framework's initialisation binds the controls through DoDataExchange.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}

    virtual void OnOK();
    virtual void OnCancel();

    // Message handlers forward here for the system's own handling of the current message.
    void Default() { wantDefault = true; }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    void OnPaint() { Default(); }

    // One message through the map; the result is what the dialog procedure returns.
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // The dialog procedure's body for this dialog (see win32::DialogThunk).
    INT_PTR DialogMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    UINT templateId;
    CWnd* parent;
    bool wantDefault = false;
};
