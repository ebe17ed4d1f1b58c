#include "app_session.h"

#include <vector>

#include "remote_controls.h"

namespace {

std::string appPath;

struct WindowSearch {
    DWORD processId;
    HWND except;
    HWND found;
};

BOOL CALLBACK FindDialogOf(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || hwnd == search->except || !IsWindowVisible(hwnd)) {
        return TRUE;
    }
    char className[16] = {};
    GetClassNameA(hwnd, className, sizeof(className));
    if (std::string(className) != "#32770") {
        return TRUE;
    }
    search->found = hwnd;
    return FALSE;
}

}  // namespace

HWND FindProcessDialog(DWORD processId, HWND except) {
    WindowSearch search = {processId, except, nullptr};
    EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void SetAppPath(const std::string& path) {
    // Under Wine the build hands over a Unix path; drive Z: is the Unix root.
    appPath = path;
    if (!appPath.empty() && appPath[0] == '/') {
        appPath = "Z:" + appPath;
    }
    for (char& c : appPath) {
        if (c == '/') {
            c = '\\';
        }
    }
}

const std::string& AppPath() {
    return appPath;
}

AppSession::~AppSession() {
    if (process.hProcess == nullptr) {
        return;
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

bool AppSession::Start() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::vector<char> commandLine(appPath.begin(), appPath.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(appPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    DWORD processId = process.dwProcessId;
    WaitUntil([&] { return (dialog = FindProcessDialog(processId, nullptr)) != nullptr; }, 10000);
    if (dialog != nullptr) {
        threadId = GetWindowThreadProcessId(dialog, nullptr);
        // Visible is not yet settled: let start-up's activation and painting finish first.
        WaitForInputIdle(process.hProcess, 5000);
    }
    return dialog != nullptr;
}

HWND AppSession::WaitForOtherDialog(DWORD timeoutMs) const {
    HWND other = nullptr;
    DWORD processId = process.dwProcessId;
    WaitUntil([&] { return (other = FindProcessDialog(processId, dialog)) != nullptr; }, timeoutMs);
    return other;
}

DWORD AppSession::WaitForExit(DWORD timeoutMs) const {
    WaitForSingleObject(process.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}
