#include "afx_app.h"

namespace {

CWinApp* theOnlyApp = nullptr;

std::string ModuleBaseName(HINSTANCE instance) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(instance, path, MAX_PATH);
    std::string name(path);
    size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

}  // namespace

CWinApp::CWinApp(const char* name) {
    if (name != nullptr) {
        appName = name;
    }
    theOnlyApp = this;
}

CWinApp::~CWinApp() {
    if (theOnlyApp == this) {
        theOnlyApp = nullptr;
    }
}

void CWinApp::Start(HINSTANCE instance) {
    m_hInstance = instance;
    if (appName.empty()) {
        appName = ModuleBaseName(instance);
    }
    m_pszAppName = appName.c_str();
}

int CWinApp::Run() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return ExitInstance();
}

void CWinApp::OnHelp() {
    // No help file ships with the tool: F1 has nothing to open.
}

CWinApp* AfxGetApp() {
    return theOnlyApp;
}

CWnd* AfxGetMainWnd() {
    return theOnlyApp != nullptr ? theOnlyApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle() {
    return theOnlyApp != nullptr ? theOnlyApp->m_hInstance : GetModuleHandleA(nullptr);
}

const char* AfxGetAppName() {
    return theOnlyApp != nullptr ? theOnlyApp->m_pszAppName : "";
}
