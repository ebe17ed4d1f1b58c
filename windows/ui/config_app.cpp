#include "config_app.h"

#include "afx_support.h"
#include "config_dialog.h"

// The Help command keeps its usual route to the application, though no help file ships: F1 in
// the dialog then does nothing instead of reaching a handler nobody wrote.
BEGIN_MESSAGE_MAP(CConfigApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CConfigApp::InitInstance() {
    // Kept for the application's shape: no control here is an OLE control, and 3-D controls are
    // the system's own look, so both calls do nothing.
    AfxEnableControlContainer();
    Enable3dControls();

    CConfigDialog dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;

    // The dialog was the whole application: no message loop of our own.
    return FALSE;
}

CConfigApp theApp;
