// Runs one Read Config or Write Config through the real ZQ61CFG.exe against a simulated chip
// that stops answering at a chosen frame (or at a moment chosen while the job runs), and checks
// everything the action must leave behind: the outcome text, the closed port, the actions enabled
// again, the form, the frames and the chip memory, the time it took and the chip-safety rules.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app_session.h"
#include "expected_traffic.h"
#include "sim_control_client.h"

enum class Action { Read, Write, LockedWrite };

// The chip every case runs against.
inline constexpr const char* FAULT_PORT = kChipA;

struct CaseSetup {
    Action action = Action::Read;
    int muteAfter = NO_FAULT;  // frames the chip answers before it goes mute
    unsigned delayMicros = 0;  // per write call, to make a job last
    // Runs once the job is under way (after the click, or after Yes to the lock question); it
    // may change the chip and the port while the job runs. The fault point is then taken from
    // the frames the chip saw.
    std::function<void()> duringJob;
    std::string label;           // printed in the action column; the action's name when empty
    unsigned expectedOpens = 1;  // opens of the port during the case: the action's own, and any
                                 // probe of an arrival notified while it runs
};

struct CaseResult {
    std::string label;
    int faultAt = NO_FAULT;  // frames answered before the chip went mute
    std::wstring outcome;
    std::wstring expected;
    double ms = 0;  // click (or Yes) to the outcome shown and the actions back
    double boundMs = 0;
    std::vector<std::string> problems;
    bool Ok() const { return problems.empty(); }
};

class FaultRunner {
public:
    explicit FaultRunner(SimControl& sim) : sim_(sim) {}

    CaseResult Run(const CaseSetup& setup);

    // The running exe's dialog, starting the exe when none runs; null when it cannot start.
    HWND Dialog();
    HWND Control(int id);
    // Ends the exe; the next case starts a fresh one.
    void Restart() { app_.reset(); }

    // Entries of the port list with exactly this name.
    int ListedCount(const char* name);
    bool SelectPort(const char* name);
    // Sends the dialog the system's port arrival or removal notification for the name.
    bool NotifyPort(WPARAM event, const char* name);
    // A message box (or other dialog) of the exe besides the main one, within the time.
    HWND OtherDialog(DWORD timeoutMs);
    bool ActionsEnabled();

    // Messages to the exe's controls, each given at most a few seconds: a dialog that stops
    // handling messages fails its case instead of stopping the whole matrix.
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    std::wstring Text(HWND window);
    void Put(HWND window, const char* text);
    bool Checked(HWND button);
    void SetCheck(HWND button, bool checked);
    // Whether a message went unanswered since the last call; clears the mark.
    bool TakeUnanswered();

    static std::wstring ExpectedOutcome(Action action, int faultAt);

private:
    std::vector<std::wstring> ListEntries();
    void PrepareForm(bool lock);
    void CheckForm(bool readSucceeded, CaseResult& result);
    std::string Diagnosis();

    SimControl& sim_;
    std::unique_ptr<AppSession> app_;
    bool unanswered_ = false;
};

// Short ASCII names of the outcome texts for the table.
const char* OutcomeName(const std::wstring& text);
