// A program a Windows-side benchmark starts quietly and owns: no window, every standard handle
// on NUL, and it is ended when the benchmark is done with it. Paths from the build go through
// the tests' WindowsPath (app_session.h).
#pragma once

#include <windows.h>

#include <string>

#include "app_session.h"
#include "scoped_win.h"

class BenchProcess {
public:
    // graceMs: how long the end waits for the program to end by itself (a batch reaching its
    // --count) before it is terminated; 0 terminates it at once (a station's window).
    BenchProcess(const std::string& exe, const std::string& arguments, DWORD graceMs = 0);
    ~BenchProcess();
    BenchProcess(const BenchProcess&) = delete;
    BenchProcess& operator=(const BenchProcess&) = delete;

    bool Started() const { return process_.Valid(); }
    HANDLE Handle() const { return process_.Get(); }
    DWORD ProcessId() const { return processId_; }
    // Waits up to timeoutMs for the program to end: true with its exit code when it did.
    bool Wait(DWORD timeoutMs, DWORD& exitCode) const;

private:
    win32::AutoCloseHandle process_;
    win32::AutoCloseHandle thread_;
    DWORD processId_ = 0;
    DWORD graceMs_;
};

// The options of a batch from ZQ000001 that stops after count chips, recorded in log, which is
// deleted first so every run starts on a new log.
std::string NewLogBatch(const std::string& log, int count);
