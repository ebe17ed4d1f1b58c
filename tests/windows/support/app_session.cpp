#include "app_session.h"

#include <cstdio>
#include <vector>

#include "remote_controls.h"

namespace {

std::string appPath;

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    HWND except;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || hwnd == search->except || !IsWindowVisible(hwnd)) {
        return TRUE;
    }
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    if (std::wstring(className) != search->className) {
        return TRUE;
    }
    search->found = hwnd;
    return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const wchar_t* className, HWND except) {
    WindowSearch search = {processId, className, except, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindProcessDialog(DWORD processId, HWND except) {
    return FindProcessWindow(processId, L"#32770", except);
}

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

void SetAppPath(const std::string& path) {
    appPath = WindowsPath(path);
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

bool AppSession::Launch(const std::string& path, const std::string& arguments) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::string line = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
    // CI once saw a start of the dialog fail at once (the test's 10 s were its two 5 s waits for
    // a message box), though the tests just before and after started the same exe: a start the
    // harness could not make is not the program's failure, so it is tried again a few times,
    // each failure said on stderr with its error.
    for (int attempt = 1;; attempt++) {
        std::vector<char> commandLine(line.begin(), line.end());
        commandLine.push_back('\0');
        if (CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &process) != 0) {
            return true;
        }
        launchError = GetLastError();
        std::fprintf(stderr, "CreateProcess of %s failed (error %lu), attempt %d\n", path.c_str(),
                     launchError, attempt);
        if (attempt == 3) {
            return false;
        }
        Sleep(500);
    }
}

bool AppSession::Start() {
    if (!Launch(appPath)) {
        return false;
    }
    DWORD processId = process.dwProcessId;
    // Generous: under a loaded machine Wine has once taken over 10 s to show a dialog that
    // takes 0.2 s otherwise; a start that never comes still fails, saying what it saw.
    WaitUntil([&] { return (dialog = FindProcessDialog(processId, nullptr)) != nullptr; }, 30000);
    if (dialog != nullptr) {
        threadId = GetWindowThreadProcessId(dialog, nullptr);
        // Visible is not yet settled: let start-up's activation and painting finish first.
        WaitForInputIdle(process.hProcess, 5000);
    }
    return dialog != nullptr;
}

std::string AppSession::StartFailure() const {
    if (process.hProcess == nullptr) {
        return appPath + ": not started (error " + std::to_string(launchError) + ")";
    }
    const DWORD code = WaitForExit(0);
    return appPath + (code == STILL_ACTIVE ? ": running, but no dialog of it is visible"
                                           : ": ended with exit code " + std::to_string(code) +
                                                 " before its dialog was visible");
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
