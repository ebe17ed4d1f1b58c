#include "vanish_cases.h"

#include <dbt.h>

#include "chip_safety.h"
#include "remote_controls.h"
#include "resource.h"
#include "watchdog.h"

namespace {

// Per write call: a whole write job then lasts about 0.4 s, long enough to act in the middle.
// Kept below the driver's spin limit on purpose: a longer delay pends each write on a kernel
// timer, and under Wine 8 re-arming that timer while its last firing is still finishing
// deadlocks the driver now and then (KeSetTimer cancels the armed timer inside the lock the
// firing needs), which would hang the case rather than test the tool.
constexpr unsigned SLOW_FRAME_MICROS = ZQSIM_SPIN_DELAY_LIMIT_US - 1000;

bool WaitForFrames(SimControl& sim, unsigned frames) {
    return WaitUntil([&] { return sim.Counters(FAULT_PORT).writeCalls >= frames; }, 10000);
}

// The device goes: it stops taking frames, and its name leaves the system and the list.
void Vanish(FaultRunner& runner, SimControl& sim, bool mute) {
    if (mute) {
        sim.MuteAfter(FAULT_PORT, 0);
    }
    sim.Remove(FAULT_PORT);
    runner.NotifyPort(DBT_DEVICEREMOVECOMPLETE, FAULT_PORT);
}

void ExpectFaultBetween(CaseResult& result, int first, int last) {
    if (result.faultAt < first || result.faultAt > last) {
        result.problems.push_back("the port vanished after " + std::to_string(result.faultAt) +
                                  " frames, outside " + std::to_string(first) + ".." +
                                  std::to_string(last));
    }
}

void ExpectListed(FaultRunner& runner, CaseResult& result, int count) {
    int listed = runner.ListedCount(FAULT_PORT);
    if (listed != count) {
        result.problems.push_back(std::string(FAULT_PORT) + " is listed " + std::to_string(listed) +
                                  " times, expected " + std::to_string(count));
    }
}

// The device comes back and the system says so; the list must take it in again.
CaseResult Return(FaultRunner& runner, SimControl& sim) {
    CaseResult result;
    result.label = "port returns";
    Progress(result.label);
    if (!sim.Restore(FAULT_PORT) || !sim.AnswerAgain(FAULT_PORT) ||
        !runner.NotifyPort(DBT_DEVICEARRIVAL, FAULT_PORT)) {
        result.problems.push_back("could not bring the port back");
    }
    ExpectListed(runner, result, 1);
    return result;
}

// With the port gone and its entry deleted there is nothing to open: the open-failure box.
CaseResult ActOnVanishedPort(FaultRunner& runner, SimControl& sim, int button, bool lock) {
    CaseResult result;
    result.label = lock ? "lock asked, port gone" : "read on gone port";
    result.expected = L"打开串口失败";
    auto fail = [&](const std::string& what) { result.problems.push_back(what); };
    Progress(result.label);
    runner.TakeUnanswered();
    std::wstring statusBefore = runner.Text(runner.Control(IDC_STATUS));
    ChipSafety safety(sim);
    safety.Begin();
    if (lock) {
        runner.SetCheck(runner.Control(IDC_WRITE_PROTECT), true);
    }
    PostClick(runner.Control(button));
    HWND box = runner.OtherDialog(5000);
    if (lock) {
        // The user is still reading the lock question when the port goes.
        if (box == nullptr ||
            runner.Text(GetDlgItem(box, 0xFFFF)).find(L"永久") == std::wstring::npos) {
            fail("the lock question did not come");
            runner.Restart();
            return result;
        }
        Vanish(runner, sim, true);
        PostMessageA(box, WM_COMMAND, IDYES, 0);
        safety.LockConfirmed();
        WaitUntil([&] { return !IsWindow(box); }, 5000);
        box = runner.OtherDialog(5000);
    }
    if (box == nullptr) {
        fail("no open-failure box");
    } else {
        result.outcome = runner.Text(GetDlgItem(box, 0xFFFF));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(box); }, 5000);
    }
    if (result.outcome != result.expected) {
        fail("box says \"" + Utf8(result.outcome) + "\"");
    }
    if (!runner.ActionsEnabled()) {
        fail("the actions are disabled");
    }
    if (runner.Text(runner.Control(IDC_STATUS)) != statusBefore) {
        fail("the status line changed");
    }
    if (sim.State(FAULT_PORT).openHandles != 0) {
        fail("the port is open");
    }
    if (sim.Counters(FAULT_PORT).writeCalls != 0) {
        fail("frames reached the vanished chip");
    }
    for (const std::string& violation : safety.Violations()) {
        fail("chip safety: " + violation);
    }
    if (runner.TakeUnanswered()) {
        fail("the dialog stopped answering messages");
    }
    if (!result.Ok() || runner.OtherDialog(0) != nullptr) {
        runner.Restart();
    }
    return result;
}

using Record = std::function<void(const CaseResult&)>;

// The port comes back, and the next action on it works.
void ReturnAndAct(FaultRunner& runner, SimControl& sim, const Record& record, Action action,
                  const char* label) {
    record(Return(runner, sim));
    CaseSetup again;
    again.action = action;
    again.label = label;
    record(runner.Run(again));
}

// A slow action whose device goes (and stops answering) once atFrame frames have gone out: the
// action fails somewhere from atFrame to lastFrame and the port leaves the list.
void VanishMidAction(FaultRunner& runner, SimControl& sim, const Record& record, Action action,
                     const char* label, int atFrame, int lastFrame) {
    CaseSetup setup;
    setup.action = action;
    setup.delayMicros = SLOW_FRAME_MICROS;
    setup.label = label;
    setup.duringJob = [&] {
        WaitForFrames(sim, static_cast<unsigned>(atFrame));
        Vanish(runner, sim, true);
    };
    CaseResult result = runner.Run(setup);
    ExpectFaultBetween(result, atFrame, lastFrame);
    ExpectListed(runner, result, 0);
    record(result);
}

}  // namespace

void RunVanishCases(FaultRunner& runner, SimControl& sim,
                    const std::function<void(const CaseResult&)>& record) {
    // A read waiting out its time-out when the device goes: the read fails as any mute chip's.
    CaseSetup waiting;
    waiting.action = Action::Read;
    waiting.muteAfter = 10;
    waiting.label = "vanish: read in time-out";
    waiting.duringJob = [&] {
        WaitForFrames(sim, 11);  // the eleventh frame goes unanswered
        Sleep(300);
        Vanish(runner, sim, false);
    };
    CaseResult result = runner.Run(waiting);
    ExpectFaultBetween(result, 10, 10);
    ExpectListed(runner, result, 0);
    record(result);
    if (runner.Send(runner.Control(IDC_PORT), CB_GETCURSEL, 0, 0) == CB_ERR) {
        record(ActOnVanishedPort(runner, sim, IDC_READ_CONFIG, false));
    } else {
        CaseResult selection;
        selection.label = "read on gone port";
        selection.problems.push_back("another port was selected when the chosen one went");
        record(selection);
    }
    ReturnAndAct(runner, sim, record, Action::Read, "read after return");

    // The device goes in the middle of a slow write: the write fails, what went out stays.
    VanishMidAction(runner, sim, record, Action::Write, "vanish: mid write", 20, WRITE_FRAMES - 1);
    ReturnAndAct(runner, sim, record, Action::Write, "write after return");

    // The device goes during the read-back: written but not verified.
    VanishMidAction(runner, sim, record, Action::LockedWrite, "vanish: lock read-back",
                    LOCKED_WRITE_FRAMES + 10, LOCKED_WRITE_FRAMES + READ_FRAMES - 1);
    ReturnAndAct(runner, sim, record, Action::Read, "read after return");

    // The name leaves the list and comes back while a slow job still holds the open port, which
    // goes on working: the job succeeds and the list holds the port once.
    CaseSetup flicker;
    flicker.action = Action::LockedWrite;
    flicker.delayMicros = SLOW_FRAME_MICROS;
    flicker.label = "port leaves+returns in job";
    flicker.expectedOpens = 2;  // the arrival is probed while the job holds the port
    bool returnedInJob = false;
    flicker.duringJob = [&] {
        WaitForFrames(sim, 15);
        Vanish(runner, sim, false);
        WaitForFrames(sim, 40);
        sim.Restore(FAULT_PORT);
        runner.NotifyPort(DBT_DEVICEARRIVAL, FAULT_PORT);
        returnedInJob = !runner.ActionsEnabled();
    };
    result = runner.Run(flicker);
    ExpectListed(runner, result, 1);
    if (!returnedInJob) {
        result.problems.push_back("the job ended before the port came back: nothing was tested");
    }
    record(result);

    // The port goes while the user reads the lock question: Yes finds nothing to open, and
    // nothing, least of all the lock, reaches the chip.
    sim.Reset(FAULT_PORT);
    runner.SelectPort(FAULT_PORT);
    record(ActOnVanishedPort(runner, sim, IDC_WRITE_CONFIG, true));
    ReturnAndAct(runner, sim, record, Action::LockedWrite, "lock write after return");
    sim.Reset(FAULT_PORT);
}
