// One run of ZQ61CFG.exe (or another program), driven from this process: start it, find its
// windows, see it end.
#pragma once

#include <windows.h>

#include <string>

// A visible top-level window of the process with the class named, other than except (null for
// any), or null when none is up.
HWND FindProcessWindow(DWORD processId, const wchar_t* className, HWND except = nullptr);
// The same for a dialog.
HWND FindProcessDialog(DWORD processId, HWND except);

// The path as Windows sees it: under Wine a Unix path is on drive Z:.
std::string WindowsPath(std::string path);

// The exe under test; set once by main from the command line.
void SetAppPath(const std::string& path);
const std::string& AppPath();

class AppSession {
public:
    AppSession() = default;
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;
    // A run that did not end by itself is ended here, so one failed test cannot leave the
    // next one facing two dialogs.
    ~AppSession();

    // Starts the program and returns at once, for callers that time what follows.
    bool Launch(const std::string& path, const std::string& arguments = "");
    // Starts the exe under test and waits until its configuration dialog is visible.
    bool Start();
    // Why Start failed: the exe, and whether its process ran on without a dialog or ended.
    std::string StartFailure() const;
    HWND Dialog() const { return dialog; }
    HWND Control(int id) const { return GetDlgItem(dialog, id); }
    DWORD ThreadId() const { return threadId; }
    HANDLE Process() const { return process.hProcess; }
    DWORD ProcessId() const { return process.dwProcessId; }

    // A visible top-level dialog of the process other than the main one (an About box, a
    // message box), or null when none appears within the time.
    HWND WaitForOtherDialog(DWORD timeoutMs) const;
    // The process's exit code, or STILL_ACTIVE when it runs on after the time.
    DWORD WaitForExit(DWORD timeoutMs) const;

private:
    PROCESS_INFORMATION process = {};
    HWND dialog = nullptr;
    DWORD threadId = 0;
    DWORD launchError = 0;  // CreateProcess's last failure
};
