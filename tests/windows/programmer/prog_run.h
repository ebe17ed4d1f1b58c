// Runs the real zq61prog.exe from this process, the way a test-station script would: its
// arguments as UTF-16, standard input not a console, its output captured.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ProgResult {
    unsigned long exitCode = 0;
    std::string out;  // standard output, UTF-8
    std::string err;  // standard error, UTF-8
};

// The exe under test; set once by main from the command line (a Unix path is taken as Z:).
void SetProgPath(const std::string& path);

// One run, started at construction; a run still going at destruction is killed.
class ProgProcess {
public:
    explicit ProgProcess(const std::vector<std::wstring>& args);
    ~ProgProcess();
    ProgProcess(const ProgProcess&) = delete;
    ProgProcess& operator=(const ProgProcess&) = delete;

    // Waits for the end (killing the run after the time) and collects what it wrote.
    ProgResult Wait(DWORD timeoutMs = 30000);
    // Ends the run at once, as a crash or a power cut would.
    void Kill();
    // What it has written to standard error so far.
    std::string ErrSoFar() const;

private:
    PROCESS_INFORMATION process_ = {};
    std::wstring outPath_;
    std::wstring errPath_;
};

ProgResult RunProg(const std::vector<std::wstring>& args);

// A text's lines, without their line ends.
std::vector<std::string> Lines(const std::string& text);
std::string ReadWhole(const std::wstring& path);
