#include "config_app.h"

#include "afx_support.h"
#include "config_dialog.h"

BEGIN_MESSAGE_MAP(CConfigApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CConfigApp::InitInstance() {
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
