#include "fault_runner.h"

#include <dbt.h>

#include <cstdio>
#include <cstring>

#include "chip_safety.h"
#include "perf_clock.h"
#include "port_notification.h"
#include "remote_controls.h"
#include "resource.h"
#include "watchdog.h"

namespace {

const wchar_t READ_OK[] = L"读取成功";
const wchar_t READ_FAILED[] = L"读取失败请重试";
const wchar_t WRITE_OK[] = L"写入成功";
const wchar_t WRITE_UNVERIFIED[] = L"写入成功但未校验，建议重新读取看是否写入成功";
const wchar_t WRITE_LOCKED[] = L"芯片已开启写保护，写入失败";
const wchar_t WRITE_FAILED[] = L"写入失败请重试";
const wchar_t OPEN_FAILED[] = L"打开串口失败";  // the message box, not a status text

// A job that never ends is reported after this long, and the exe is replaced.
constexpr double HANG_LIMIT_MS = 15000;
// One read time-out (100 + 1000 ms) plus the frames before it and the round trips of the
// messages that show the outcome.
constexpr double BOUND_MS = 3000;
// Long enough for a dialog busy with a port notification's probe, short next to the matrix.
constexpr UINT MESSAGE_LIMIT_MS = 3000;

const char* ActionName(Action action) {
    switch (action) {
        case Action::Read:
            return "read";
        case Action::Write:
            return "write";
        case Action::LockedWrite:
            return "write+lock";
    }
    return "?";
}

std::vector<WriteFrame> WritesOf(Action action) {
    return action == Action::Read ? std::vector<WriteFrame>{}
                                  : FormWrites(action == Action::LockedWrite);
}

std::wstring Widen(const char* text) {
    return std::wstring(text, text + std::strlen(text));
}

}  // namespace

const char* OutcomeName(const std::wstring& text) {
    struct Name {
        const wchar_t* text;
        const char* name;
    };
    static const Name names[] = {{READ_OK, "read-ok"},        {READ_FAILED, "read-failed"},
                                 {WRITE_OK, "write-ok"},      {WRITE_UNVERIFIED, "unverified"},
                                 {WRITE_LOCKED, "locked"},    {WRITE_FAILED, "write-failed"},
                                 {OPEN_FAILED, "open-failed"}};
    if (text.empty()) {
        return "(none)";
    }
    for (const Name& name : names) {
        if (text == name.text) {
            return name.name;
        }
    }
    return "(other)";
}

std::wstring FaultRunner::ExpectedOutcome(Action action, int faultAt) {
    if (action == Action::Read) {
        return faultAt == NO_FAULT ? READ_OK : READ_FAILED;
    }
    int writes = static_cast<int>(WritesOf(action).size());
    if (faultAt == NO_FAULT) {
        return WRITE_OK;
    }
    return faultAt < writes ? WRITE_FAILED : WRITE_UNVERIFIED;
}

LRESULT FaultRunner::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, MESSAGE_LIMIT_MS,
                             &answer)) {
        unanswered_ = unanswered_ || GetLastError() == ERROR_TIMEOUT || IsWindow(window);
        return 0;
    }
    return static_cast<LRESULT>(answer);
}

std::wstring FaultRunner::Text(HWND window) {
    wchar_t text[512] = {};
    Send(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

void FaultRunner::Put(HWND window, const char* text) {
    std::wstring wide = Widen(text);
    Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

bool FaultRunner::Checked(HWND button) {
    return Send(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void FaultRunner::SetCheck(HWND button, bool checked) {
    Send(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool FaultRunner::TakeUnanswered() {
    bool was = unanswered_;
    unanswered_ = false;
    return was;
}

// What the chip and its port looked like when a case went wrong in time.
std::string FaultRunner::Diagnosis() {
    ZqSimCounters counters = sim_.Counters(FAULT_PORT);
    ZqSimPortState state = sim_.State(FAULT_PORT);
    char text[200];
    std::snprintf(text, sizeof(text),
                  "[port: %u open, %u opens; %u write calls (%u failed), %u reads, %u timed out, "
                  "%u cancelled]",
                  state.openHandles, state.opensTotal, counters.writeCalls, counters.writesFailed,
                  counters.readCalls, counters.readTimeouts, counters.readsCancelled);
    return text;
}

HWND FaultRunner::Dialog() {
    if (app_ && !IsWindow(app_->Dialog())) {
        app_.reset();
    }
    if (!app_) {
        app_ = std::make_unique<AppSession>();
        if (!app_->Start()) {
            app_.reset();
            return nullptr;
        }
        DWORD processId = 0;
        GetWindowThreadProcessId(app_->Dialog(), &processId);
        WatchProcess(processId);
    }
    return app_->Dialog();
}

HWND FaultRunner::Control(int id) {
    return GetDlgItem(Dialog(), id);
}

HWND FaultRunner::OtherDialog(DWORD timeoutMs) {
    return app_ ? app_->WaitForOtherDialog(timeoutMs) : nullptr;
}

bool FaultRunner::ActionsEnabled() {
    return IsWindowEnabled(Control(IDC_READ_CONFIG)) &&
           IsWindowEnabled(Control(IDC_WRITE_CONFIG)) && IsWindowEnabled(Control(IDC_PORT));
}

// The list's entries, read with the W form: CB_GETLBTEXT is marshalled across processes only so.
std::vector<std::wstring> FaultRunner::ListEntries() {
    HWND list = Control(IDC_PORT);
    std::vector<std::wstring> entries;
    LRESULT count = Send(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        LRESULT length = Send(list, CB_GETLBTEXTLEN, i, 0);
        if (length < 0 || length > 64) {
            entries.emplace_back();
            continue;
        }
        wchar_t text[80] = {};
        Send(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

int FaultRunner::ListedCount(const char* name) {
    int found = 0;
    for (const std::wstring& entry : ListEntries()) {
        found += entry == Widen(name);
    }
    return found;
}

bool FaultRunner::SelectPort(const char* name) {
    std::vector<std::wstring> entries = ListEntries();
    for (size_t i = 0; i < entries.size(); i++) {
        if (entries[i] == Widen(name)) {
            return Send(Control(IDC_PORT), CB_SETCURSEL, i, 0) == static_cast<LRESULT>(i);
        }
    }
    return false;
}

bool FaultRunner::NotifyPort(WPARAM event, const char* name) {
    std::vector<char> buffer = PortNotification(name);
    DWORD_PTR answer = 0;
    // Sent, not posted: only a sent WM_DEVICECHANGE carries its data across processes.
    if (!SendMessageTimeoutA(Dialog(), WM_DEVICECHANGE, event,
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, MESSAGE_LIMIT_MS,
                             &answer)) {
        unanswered_ = true;
        return false;
    }
    return true;
}

void FaultRunner::PrepareForm(bool lock) {
    Put(Control(IDC_VID), FORM_VENDOR_ID);
    Put(Control(IDC_PID), FORM_PRODUCT_ID);
    SetCheck(Control(IDC_SERIAL_ENABLE), true);
    Put(Control(IDC_SERIAL), FORM_SERIAL);
    SetCheck(Control(IDC_PRODUCT_ENABLE), true);
    Put(Control(IDC_PRODUCT), FORM_PRODUCT);
    SetCheck(Control(IDC_WRITE_PROTECT), lock);
}

void FaultRunner::CheckForm(bool readSucceeded, CaseResult& result) {
    struct Field {
        int id;
        const char* expected;
        const char* shown;  // what a successful read of the configured chip puts there
    };
    const Field fields[] = {{IDC_VID, FORM_VENDOR_ID, "5678"},
                            {IDC_PID, FORM_PRODUCT_ID, "9ABC"},
                            {IDC_SERIAL, FORM_SERIAL, "CHIPSER1"},
                            {IDC_PRODUCT, FORM_PRODUCT, "chip product"}};
    for (const Field& field : fields) {
        std::wstring want = Widen(readSucceeded ? field.shown : field.expected);
        std::wstring shown = Text(Control(field.id));
        if (shown != want) {
            result.problems.push_back("form field " + std::to_string(field.id) + " shows \"" +
                                      Utf8(shown) + "\", expected \"" + Utf8(want) + "\"");
        }
    }
    if (readSucceeded) {
        return;
    }
    // A failed read and every write leave the boxes as the case set them.
    if (!Checked(Control(IDC_SERIAL_ENABLE)) || !Checked(Control(IDC_PRODUCT_ENABLE))) {
        result.problems.push_back("a form check box changed");
    }
}

CaseResult FaultRunner::Run(const CaseSetup& setup) {
    CaseResult result;
    result.label = setup.label.empty() ? ActionName(setup.action) : setup.label;
    result.faultAt = setup.muteAfter;
    auto fail = [&](const std::string& what) { result.problems.push_back(what); };
    auto step = [&](const char* what) {
        Progress(result.label + " k=" + std::to_string(setup.muteAfter) + ": " + what);
    };

    step("starting the exe");
    if (Dialog() == nullptr) {
        fail("ZQ61CFG.exe did not start");
        return result;
    }
    if (OtherDialog(0) != nullptr) {
        // A box left by an earlier case would take this case's click.
        Restart();
        if (Dialog() == nullptr) {
            fail("ZQ61CFG.exe did not start again");
            return result;
        }
    }

    step("setting up the chip and the form");
    TakeUnanswered();
    const bool lock = setup.action == Action::LockedWrite;
    const std::vector<WriteFrame> writes = WritesOf(setup.action);
    const int framesInAll = static_cast<int>(writes.size()) + READ_FRAMES;
    bool ready = sim_.Reset(FAULT_PORT);
    if (setup.action == Action::Read) {
        ready = sim_.SetMemory(FAULT_PORT, 0, ConfiguredChipImage()) && ready;
    }
    if (setup.delayMicros > 0) {
        ready = sim_.SetDelay(FAULT_PORT, setup.delayMicros) && ready;
    }
    const std::vector<uint8_t> before = sim_.Memory(FAULT_PORT);
    if (!ready || before.size() != ZQSIM_MEMORY_SIZE) {
        fail("the simulated chip could not be set up");
    }
    if (!SelectPort(FAULT_PORT)) {
        fail(std::string(FAULT_PORT) + " is not in the port list");
    }
    PrepareForm(lock);
    Put(Control(IDC_STATUS), "");
    if (!ActionsEnabled()) {
        fail("the actions are disabled before the click");
    }
    ChipSafety safety(sim_);
    safety.Begin();
    if (setup.muteAfter != NO_FAULT && !sim_.MuteAfter(FAULT_PORT, setup.muteAfter)) {
        fail("the chip could not be told to go mute");
    }
    if (TakeUnanswered()) {
        fail("the dialog did not answer while the case was set up");
        Restart();
    }
    if (!result.Ok()) {
        return result;
    }

    step("clicking");
    double start = NowMs();
    PostClick(Control(lock                            ? IDC_WRITE_CONFIG
                      : setup.action == Action::Write ? IDC_WRITE_CONFIG
                                                      : IDC_READ_CONFIG));
    if (lock) {
        HWND box = OtherDialog(5000);
        if (box == nullptr || Text(GetDlgItem(box, 0xFFFF)).find(L"永久") == std::wstring::npos) {
            fail("the lock question did not come");
            Restart();
            return result;
        }
        start = NowMs();
        PostMessageA(box, WM_COMMAND, IDYES, 0);
        safety.LockConfirmed();
        if (!WaitUntil([&] { return !IsWindow(box); }, 5000)) {
            fail("the lock question stayed after Yes");
        }
    }
    if (setup.duringJob) {
        step("changing the port while the job runs");
        setup.duringJob();
    }
    step("waiting for the outcome");

    HWND status = Control(IDC_STATUS);
    HWND stray = nullptr;
    bool done = false;
    while (!(done = !Text(status).empty() && ActionsEnabled())) {
        if ((stray = OtherDialog(0)) != nullptr || NowMs() - start > HANG_LIMIT_MS || unanswered_) {
            break;
        }
        Sleep(2);
    }
    result.ms = NowMs() - start;
    result.outcome = Text(status);
    std::string diagnosis = done ? "" : Diagnosis();

    step("checking");
    unsigned total = 0;
    std::vector<ZqSimLogEntry> log = sim_.Log(FAULT_PORT, &total);
    int metFault = AnsweredBeforeMute(log);
    if (setup.duringJob) {
        result.faultAt = metFault;
    } else {
        result.faultAt = setup.muteAfter < framesInAll ? setup.muteAfter : NO_FAULT;
        if (metFault != result.faultAt) {
            fail("the chip went mute after " + std::to_string(metFault) + " frames, not " +
                 std::to_string(result.faultAt));
        }
    }
    result.expected = ExpectedOutcome(setup.action, result.faultAt);
    result.boundMs = BOUND_MS + static_cast<double>(log.size()) * setup.delayMicros / 1000.0;

    if (stray != nullptr) {
        fail("an unexpected box: \"" + Utf8(Text(GetDlgItem(stray, 0xFFFF))) + "\"");
    }
    if (!done) {
        fail("no outcome with the actions back after " +
             std::to_string(static_cast<int>(result.ms)) + " ms " + diagnosis);
    }
    if (result.outcome != result.expected) {
        fail("outcome \"" + Utf8(result.outcome) + "\", expected \"" + Utf8(result.expected) +
             "\"");
    }
    if (result.ms > result.boundMs) {
        fail("took " + std::to_string(static_cast<int>(result.ms)) + " ms, bound " +
             std::to_string(static_cast<int>(result.boundMs)) + " ms");
    }

    ZqSimPortState state = sim_.State(FAULT_PORT);
    if (state.openHandles != 0) {
        fail("the port is still open (" + std::to_string(state.openHandles) + " handles)");
    }
    if (state.opensTotal != setup.expectedOpens) {
        fail("the action opened the port " + std::to_string(state.opensTotal) + " times");
    }
    CheckForm(setup.action == Action::Read && result.expected == READ_OK, result);

    for (const std::string& problem : CompareTraffic(ExpectedLog(writes, before, result.faultAt),
                                                     log, total, before, sim_.Memory(FAULT_PORT))) {
        fail(problem);
    }
    for (const std::string& violation : safety.Violations()) {
        fail("chip safety: " + violation);
    }

    if (TakeUnanswered()) {
        fail("the dialog stopped answering messages " + diagnosis);
        done = false;
    }
    if (stray != nullptr || !done) {
        // Whatever state the exe is in, the next case gets a fresh one.
        Restart();
    }
    return result;
}
