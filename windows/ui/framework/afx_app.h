// The application object. The program defines exactly one global instance of a class derived
// from CWinApp; the framework's WinMain finds it and runs its InitInstance.
#pragma once

#include <windows.h>

#include <string>

#include "afx_wnd.h"

inline constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget {
public:
    // A null name makes the title the module's base name, as Windows shows the program.
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    // FALSE ends the application without running the message loop.
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    virtual int Run();

    // Called by WinMain before InitInstance.
    void Start(HINSTANCE instance);

    // Target of the ID_HELP command for applications that route it in their message map.
    void OnHelp();

    HINSTANCE m_hInstance = nullptr;
    const char* m_pszAppName = nullptr;
    CWnd* m_pMainWnd = nullptr;

private:
    std::string appName;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
const char* AfxGetAppName();
