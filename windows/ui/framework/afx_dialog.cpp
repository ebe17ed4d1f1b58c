#include "afx_dialog.h"

#include "afx_app.h"
#include "window_thunk.h"

namespace {

// These messages return their result from the dialog procedure itself; all others return it
// through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
    HWND owner = parent != nullptr ? parent->m_hWnd : nullptr;
    if (owner == nullptr) {
        // Like any modal box, an unparented dialog opened while the main window is up belongs
        // to it, so the main window is disabled until the box closes.
        CWnd* main = AfxGetMainWnd();
        if (main != nullptr && main != this) {
            owner = main->m_hWnd;
        }
    }
    INT_PTR result = DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(templateId), owner,
                                     win32::DialogThunk<CDialog>, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

void CDialog::EndDialog(int result) const {
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
    // Only controls are bound; no values move through data exchange.
    CDataExchange exchange(this);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    UINT code = message == WM_COMMAND ? HIWORD(wParam) : 0;
    UINT id = message == WM_COMMAND ? LOWORD(wParam) : 0;
    const MessageMapEntry* entry = FindEntry(message, code, id);
    CCmdTarget* target = this;
    if (entry == nullptr && message == WM_COMMAND && AfxGetApp() != nullptr) {
        // Commands the dialog does not handle go on to the application.
        target = AfxGetApp();
        entry = target->FindEntry(message, code, id);
    }
    if (entry == nullptr) {
        return FALSE;
    }
    // A handler may run a nested modal loop that dispatches more messages to this dialog, so
    // the "use default" request of the outer message is kept apart from theirs.
    bool outerWantDefault = wantDefault;
    wantDefault = false;
    LRESULT result = entry->handler(*target, wParam, lParam);
    bool useDefault = wantDefault;
    wantDefault = outerWantDefault;
    if (useDefault) {
        return FALSE;
    }
    if (ReturnsDirectly(message)) {
        return result;
    }
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CDialog::DialogMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        m_hWnd = hwnd;
        return OnInitDialog();
    }
    return Dispatch(message, wParam, lParam);
}
