// Measures ZQ61CFG.exe under Wine against the stand-in driver and prints three parts of the
// benchmark report (scripts/benchmark.sh prints the others):
//   1. the frames each action sends, from the driver's log and counters;
//   2. each action's time through the exe, button press to status text, against the time the
//      driver spent serving its frames at 1 ms per frame, and where the rest of the time goes;
//   3. start-up to a dialog that accepts input, against a bare dialog program.
// Usage: app_bench ZQ61CFG.exe bare_dialog.exe [runs] [--no-startup]  (the last skips part 3)
// Needs a display, the project's Wine prefix and the stand-in driver loaded.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app_session.h"
#include "bench_clock.h"
#include "config_record.h"
#include "config_sequence.h"
#include "handle_port.h"
#include "port_discovery.h"
#include "memory_port_list.h"
#include "remote_controls.h"
#include "resource.h"
#include "serial_port.h"
#include "sim_control_client.h"

namespace {

constexpr const char* PORT = kChipA;
// One USB control transfer per frame, as the bridge chip takes them.
constexpr unsigned FRAME_DELAY_US = 1000;
constexpr double GIVE_UP_US = 10e6;
constexpr double OVERHEAD_TARGET = 1.05;
constexpr double STARTUP_TARGET = 1.2;

enum class Action { Read, Write, WriteLocked };

struct ActionInfo {
    Action action;
    const char* name;
    unsigned writeFrames;
    unsigned readFrames;
    const wchar_t* okStatus;
};

const wchar_t READ_FAILED[] = L"读取失败请重试";
const wchar_t WRITE_FAILED[] = L"写入失败请重试";

// In the order they run: the writes leave the chip configured for the reads.
const ActionInfo ACTIONS[] = {
    {Action::Write, "Write Config", 51, 52, L"写入成功"},
    {Action::Read, "Read Config", 0, 52, L"读取成功"},
    {Action::WriteLocked, "Write Config + lock", 52, 52, L"写入成功"},
};

bool Fail(const char* what) {
    std::printf("   FAILED: %s\n", what);
    std::fflush(stdout);
    return false;
}

// ---- What reached the chip ----

// One action's traffic, from the driver's frame log and counters.
struct Traffic {
    unsigned writeFrames = 0;  // stored, or refused by a lock
    unsigned readFrames = 0;
    unsigned otherEntries = 0;  // unanswered, malformed, or past the log's end
    bool writesFirst = true;    // no write frame after the first read frame
    ZqSimCounters counters{};
};

Traffic TakeTraffic(SimControl& sim) {
    Traffic traffic;
    unsigned total = 0;
    std::vector<ZqSimLogEntry> log = sim.Log(PORT, &total);
    bool readSeen = false;
    for (const ZqSimLogEntry& entry : log) {
        if (entry.kind == ZQSIM_LOG_WRITE || entry.kind == ZQSIM_LOG_LOCKED) {
            traffic.writeFrames++;
            traffic.writesFirst = traffic.writesFirst && !readSeen;
        } else if (entry.kind == ZQSIM_LOG_READ) {
            traffic.readFrames++;
            readSeen = true;
        } else {
            traffic.otherEntries++;
        }
    }
    traffic.otherEntries += total - static_cast<unsigned>(log.size());
    traffic.counters = sim.Counters(PORT);
    return traffic;
}

// Exactly the action's frames, each a single write call, each reply read once and waiting.
bool ExactlyTheFrames(const Traffic& traffic, const ActionInfo& info) {
    const ZqSimCounters& counters = traffic.counters;
    return traffic.writeFrames == info.writeFrames && traffic.readFrames == info.readFrames &&
           traffic.otherEntries == 0 && traffic.writesFirst &&
           counters.writeCalls == info.writeFrames + info.readFrames &&
           counters.writeBytes == 4 * (info.writeFrames + info.readFrames) &&
           counters.readCalls == info.readFrames && counters.readBytes == info.readFrames &&
           counters.readTimeouts == 0 && counters.writesFailed == 0 && counters.repliesWaiting == 0;
}

std::string FrameText(unsigned writeFrames, unsigned readFrames) {
    char text[32];
    if (writeFrames == 0) {
        std::snprintf(text, sizeof(text), "%u", readFrames);
    } else {
        std::snprintf(text, sizeof(text), "%u + %u", writeFrames, readFrames);
    }
    return text;
}

// A write starts from a blank, unlocked chip; a read reads what the last write left there.
bool PrepareChip(SimControl& sim, Action action, unsigned delayMicros) {
    bool ok = action == Action::Read || sim.Reset(PORT);
    ok = sim.SetDelay(PORT, delayMicros) && ok;
    return sim.Clear(PORT) && ok;
}

// ---- The actions through the exe ----

struct ExeRun {
    double micros = 0;
    double earliestMicros = 0;
    int emptyPolls = 0;
    Traffic traffic;
    std::wstring status;
};

bool SelectChipPort(HWND combo) {
    std::vector<std::wstring> entries = PortEntries(combo);
    for (int i = 0; i < static_cast<int>(entries.size()); i++) {
        if (entries[i] == std::wstring(PORT, PORT + std::strlen(PORT))) {
            SelectPort(combo, i);
            return Selection(combo) == i;
        }
    }
    return false;
}

void SetLockBox(const AppSession& app, bool checked) {
    HWND box = app.Control(IDC_WRITE_PROTECT);
    if (IsChecked(box) != checked) {
        Click(box);
    }
}

// How the end of an action is seen: by WM_GETTEXT polls of the status line, back to back with a
// yield between them. Each poll wakes the tool's UI thread and the wineserver, and on this
// 2-core machine polls all through an action slow the tool itself down. So the watcher sleeps until
// shortly before the action is expected to end (from the previous run) and polls only from there: a
// run counts only when at least one poll came back empty, so the text was set between the last
// empty poll's start and the first non-empty poll's return. The figure is the later bound, never
// early. (A WinEvent hook out of context would need no polls, but Wine 8 delivers no events to
// another process.)
bool WaitForStatus(HWND status, double start, double wakeAfter, ExeRun& run) {
    double sleepMicros = wakeAfter - (NowMicros() - start);
    if (sleepMicros >= 1000) {
        Sleep(static_cast<DWORD>(sleepMicros / 1000));
    }
    double earliest = start;
    run.emptyPolls = 0;
    for (;;) {
        double pollStart = NowMicros();
        run.status = TextOf(status);
        double end = NowMicros();
        if (!run.status.empty()) {
            run.micros = end - start;
            run.earliestMicros = earliest - start;
            return true;
        }
        run.emptyPolls++;
        earliest = pollStart;
        if (end - start > GIVE_UP_US) {
            return false;
        }
        SwitchToThread();
    }
}

// Mute: the chip refuses the very first frame, so the job ends after one write call; what is
// left of the time is everything the tool does around the frames.
bool RunExeAction(const AppSession& app, SimControl& sim, const ActionInfo& info, double wakeAfter,
                  bool mute, ExeRun& run) {
    HWND status = app.Control(IDC_STATUS);
    SetLockBox(app, info.action == Action::WriteLocked);
    SendMessageW(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    if (!PrepareChip(sim, info.action, FRAME_DELAY_US) || (mute && !sim.MuteAfter(PORT, 0))) {
        return Fail("the stand-in driver refused the chip's set-up");
    }
    double start = 0;
    if (info.action == Action::WriteLocked) {
        // The lock is asked about first: for this action the press that starts it is Yes.
        PostClick(app.Control(IDC_WRITE_CONFIG));
        HWND question = app.WaitForOtherDialog(5000);
        if (question == nullptr) {
            return Fail("no question before the lock");
        }
        start = NowMicros();
        PostMessageW(question, WM_COMMAND, IDYES, 0);
    } else {
        int button = info.action == Action::Read ? IDC_READ_CONFIG : IDC_WRITE_CONFIG;
        start = NowMicros();
        PostClick(app.Control(button));
    }
    if (!WaitForStatus(status, start, wakeAfter, run)) {
        return Fail("no status text");
    }
    // The job is over once the actions are enabled again.
    if (!WaitUntil([&] { return IsWindowEnabled(app.Control(IDC_READ_CONFIG)) != FALSE; }, 5000)) {
        return Fail("the actions stay disabled");
    }
    run.traffic = TakeTraffic(sim);
    if (mute) {
        sim.AnswerAgain(PORT);
    }
    const wchar_t* expected = !mute                         ? info.okStatus
                              : info.action == Action::Read ? READ_FAILED
                                                            : WRITE_FAILED;
    if (run.status != expected) {
        std::printf("   FAILED: %s ended with \"%s\"\n", info.name, Utf8(run.status).c_str());
        std::fflush(stdout);
        return false;
    }
    return true;
}

// ---- The same frames from a plain loop in this process ----

struct DirectRun {
    double openMicros = 0;
    double framesMicros = 0;
    Traffic traffic;
};

bool RunDirectAction(SimControl& sim, const ActionInfo& info, const ConfigRecord& configured,
                     unsigned delayMicros, DirectRun& run) {
    if (!PrepareChip(sim, info.action, delayMicros)) {
        return Fail("the stand-in driver refused the chip's set-up");
    }
    ConfigRecord written = configured;
    written.writeProtected = info.action == Action::WriteLocked ? 1 : 0;
    MemoryPortList list;
    list.names.push_back(PORT);
    list.selection = 0;
    win32::AutoCloseHandle handle;
    double start = NowMicros();
    if (!OpenSelectedPort(list, handle)) {
        return Fail("cannot open the port from the benchmark");
    }
    double opened = NowMicros();
    bool ok = false;
    {
        HandlePort port(handle.Get());
        RecordPtr readBack = NewRecord();
        ok = (info.action == Action::Read || WriteConfig(port, written)) &&
             ReadConfig(port, *readBack);
    }
    double done = NowMicros();
    handle.Reset();
    run.openMicros = opened - start;
    run.framesMicros = done - opened;
    run.traffic = TakeTraffic(sim);
    return ok || Fail("the plain loop's frames failed");
}

// ---- Start-up ----

struct Launch {
    double micros = 0;
    double idleMicros = 0;
    int ports = 0;
};

// Starts a program and times it until its dialog accepts input: the process has gone idle
// waiting for input (Wine sets the idle event when its thread first finds its queue empty) and
// its dialog is visible, with the ports listed when the dialog has a port list.
bool TimeLaunch(const std::string& path, const char* arguments, bool listsPorts, Launch& launch) {
    AppSession session;
    double start = NowMicros();
    if (!session.Launch(path, arguments)) {
        return Fail("cannot start the program");
    }
    bool ready = WaitForInputIdle(session.Process(), 10000) == 0;
    launch.idleMicros = NowMicros() - start;
    HWND dialog = nullptr;
    while (ready) {
        dialog = FindProcessDialog(session.ProcessId(), nullptr);
        if (dialog != nullptr) {
            launch.ports =
                listsPorts
                    ? static_cast<int>(SendDlgItemMessageW(dialog, IDC_PORT, CB_GETCOUNT, 0, 0))
                    : 0;
            if (!listsPorts || launch.ports > 0) {
                break;
            }
        }
        if (NowMicros() - start > GIVE_UP_US) {
            ready = false;
            break;
        }
        SwitchToThread();
    }
    launch.micros = NowMicros() - start;
    if (dialog != nullptr) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    // Given the time to end by itself; the session ends it otherwise.
    session.WaitForExit(5000);
    return ready || Fail("no dialog ready for input");
}

// ---- The report ----

const char* Verdict(bool met) {
    return met ? "ok" : "MISSED";
}

double Ms(double micros) {
    return micros / 1000;
}

struct ActionFigures {
    std::vector<ExeRun> exe;                  // polled from shortly before the end: reported
    std::vector<ExeRun> exePolledThroughout;  // polled from the press on
    std::vector<ExeRun> exeMute;              // the first frame refused: the cost around the frames
    std::vector<DirectRun> direct;
    std::vector<DirectRun> directNoDelay;
};

void PrintFrames(const ActionInfo& info, const ActionFigures& figures) {
    std::vector<const ExeRun*> all;
    for (const ExeRun& run : figures.exe) {
        all.push_back(&run);
    }
    for (const ExeRun& run : figures.exePolledThroughout) {
        all.push_back(&run);
    }
    bool allExact = !all.empty();
    for (const ExeRun* run : all) {
        allExact = allExact && ExactlyTheFrames(run->traffic, info);
    }
    const Traffic& last = all.back()->traffic;
    std::string seen = FrameText(last.writeFrames, last.readFrames);
    std::string target = FrameText(info.writeFrames, info.readFrames);
    std::printf(
        "   %-20s %-8s  %3u write calls, %2u read calls, %2u reply bytes, %u time-outs"
        "   target %-8s %s\n",
        info.name, seen.c_str(), last.counters.writeCalls, last.counters.readCalls,
        last.counters.readBytes, last.counters.readTimeouts, target.c_str(), Verdict(allExact));
    if (!allExact) {
        for (size_t i = 0; i < all.size(); i++) {
            const Traffic& traffic = all[i]->traffic;
            std::printf(
                "      run %zu: %u write frames, %u read frames, %u other, %u write calls,"
                " %u read calls\n",
                i + 1, traffic.writeFrames, traffic.readFrames, traffic.otherEntries,
                traffic.counters.writeCalls, traffic.counters.readCalls);
        }
    }
}

double ServeMicros(const Traffic& traffic) {
    return static_cast<double>(traffic.counters.serveMicros);
}

struct Overhead {
    double exe = 0;
    double earliest = 0;
    double serve = 0;
    double ratio = 0;
    double throughout = 0;
    double throughoutRatio = 0;
    double around = 0;
    double directFrames = 0;
    double directServe = 0;
    double directOpen = 0;
};

Overhead Summarise(const ActionFigures& figures) {
    std::vector<double> exe, earliest, serve, ratio, throughout, throughoutRatio, around;
    for (const ExeRun& run : figures.exe) {
        exe.push_back(run.micros);
        earliest.push_back(run.earliestMicros);
        serve.push_back(ServeMicros(run.traffic));
        ratio.push_back(run.micros / std::max(1.0, ServeMicros(run.traffic)));
    }
    for (const ExeRun& run : figures.exePolledThroughout) {
        throughout.push_back(run.micros);
        throughoutRatio.push_back(run.micros / std::max(1.0, ServeMicros(run.traffic)));
    }
    for (const ExeRun& run : figures.exeMute) {
        around.push_back(run.micros - ServeMicros(run.traffic));
    }
    std::vector<double> directFrames, directServe, directOpen;
    for (const DirectRun& run : figures.direct) {
        directFrames.push_back(run.framesMicros);
        directServe.push_back(ServeMicros(run.traffic));
        directOpen.push_back(run.openMicros);
    }
    Overhead o;
    o.exe = Median(exe);
    o.earliest = Median(earliest);
    o.serve = Median(serve);
    o.ratio = Median(ratio);
    o.throughout = Median(throughout);
    o.throughoutRatio = Median(throughoutRatio);
    o.around = Median(around);
    o.directFrames = Median(directFrames);
    o.directServe = Median(directServe);
    o.directOpen = Median(directOpen);
    return o;
}

DWORD WINAPI NoteStart(LPVOID param) {
    *static_cast<double*>(param) = NowMicros();
    return 0;
}

// Creating a thread and seeing its first instruction run, as a job does.
double ThreadStartMicros() {
    std::vector<double> times;
    for (int i = 0; i < 50; i++) {
        double started = 0;
        double start = NowMicros();
        win32::AutoCloseHandle thread(CreateThread(nullptr, 0, NoteStart, &started, 0, nullptr));
        if (!thread) {
            break;
        }
        WaitForSingleObject(thread.Get(), INFINITE);
        times.push_back(started - start);
    }
    return Median(times);
}

// One request to the stand-in driver and back, with no frame in it.
double DriverRoundTripMicros(SimControl& sim) {
    std::vector<double> times;
    for (int i = 0; i < 200; i++) {
        double start = NowMicros();
        sim.State(PORT);
        times.push_back(NowMicros() - start);
    }
    return Median(times);
}

// Runs an action until a run's end was bracketed by polls, waking earlier after each miss.
bool TimedExeRun(const AppSession& app, SimControl& sim, const ActionInfo& info, bool mute,
                 double& estimate, ExeRun& run) {
    double margin = std::max(2000.0, estimate * 0.02);
    for (;;) {
        double wakeAfter = estimate - margin;
        if (!RunExeAction(app, sim, info, wakeAfter, mute, run)) {
            return false;
        }
        if (run.emptyPolls > 0 || wakeAfter <= 0) {
            estimate = run.earliestMicros;
            return true;
        }
        margin *= 2;
    }
}

bool MeasureExe(SimControl& sim, int runs, ActionFigures (&figures)[3], double& pollMicros) {
    AppSession app;
    if (!app.Start() || !SelectChipPort(app.Control(IDC_PORT))) {
        return Fail("ZQ61CFG.exe did not come up with the chip's port");
    }
    for (int i = 0; i < 3; i++) {
        // A read fails only by time-out once its chip is mute: the cost around the frames is
        // taken from the writes, whose first frame is refused at once.
        bool muteRuns = ACTIONS[i].action != Action::Read;
        double estimate = 0;
        double muteEstimate = 0;
        // The first run is untimed and polled throughout: the first job of a process pays for
        // loading its code, and the run gives the first estimate.
        for (int run = 0; run <= runs; run++) {
            ExeRun timed;
            ExeRun throughout;
            ExeRun mute;
            if (!TimedExeRun(app, sim, ACTIONS[i], false, estimate, timed) ||
                !RunExeAction(app, sim, ACTIONS[i], 0, false, throughout) ||
                (muteRuns && !TimedExeRun(app, sim, ACTIONS[i], true, muteEstimate, mute))) {
                return false;
            }
            if (run > 0) {
                figures[i].exe.push_back(timed);
                figures[i].exePolledThroughout.push_back(throughout);
                if (muteRuns) {
                    figures[i].exeMute.push_back(mute);
                }
            }
        }
    }
    std::vector<double> polls;
    HWND status = app.Control(IDC_STATUS);
    for (int i = 0; i < 200; i++) {
        double start = NowMicros();
        TextOf(status);
        polls.push_back(NowMicros() - start);
    }
    pollMicros = Median(polls);
    PostMessageW(app.Dialog(), WM_COMMAND, IDCANCEL, 0);
    app.WaitForExit(5000);
    return true;
}

bool MeasureDirect(SimControl& sim, int runs, ActionFigures (&figures)[3]) {
    // The chip's configuration as the tool wrote it, for the plain loop's writes.
    RecordPtr configured = NewRecord();
    MemoryPortList list;
    list.names.push_back(PORT);
    list.selection = 0;
    win32::AutoCloseHandle handle;
    if (!sim.SetDelay(PORT, 0) || !OpenSelectedPort(list, handle)) {
        return Fail("cannot open the port from the benchmark");
    }
    bool ok = false;
    {
        HandlePort port(handle.Get());
        ok = ReadConfig(port, *configured) != 0;
    }
    handle.Reset();
    if (!ok) {
        return Fail("cannot read the chip back");
    }
    for (int i = 0; i < 3; i++) {
        for (int run = 0; run <= runs; run++) {
            DirectRun delayed;
            DirectRun noDelay;
            if (!RunDirectAction(sim, ACTIONS[i], *configured, FRAME_DELAY_US, delayed) ||
                !RunDirectAction(sim, ACTIONS[i], *configured, 0, noDelay)) {
                return false;
            }
            if (run > 0) {
                figures[i].direct.push_back(delayed);
                figures[i].directNoDelay.push_back(noDelay);
            }
        }
    }
    return true;
}

// Printed in the order the targets are stated: read, write, write with the lock.
const int PRINT_ORDER[] = {1, 0, 2};

void PrintOverhead(SimControl& sim, int runs, const ActionFigures (&figures)[3],
                   double pollMicros) {
    std::printf(
        "2. Tool overhead: ZQ61CFG.exe's time from the button press (for the lock, the"
        " Yes to its\n   question) to the status text, over the time the driver spent"
        " serving those frames, at\n   %u us per frame; median of %d runs. The status"
        " line is polled with cross-process WM_GETTEXT,\n   back to back, from shortly"
        " before the end the previous run showed; a run counts only if a\n   poll came"
        " back empty first. exe ms: when the first poll that saw the text returned;"
        " set\n   after: when the last empty one began. polled throughout: the same,"
        " polling from the press on.\n",
        FRAME_DELAY_US, runs);
    std::printf("   %-20s %8s %10s %10s %7s   %-14s %s\n", "", "exe ms", "set after", "driver ms",
                "ratio", "target", "polled throughout");
    Overhead overheads[3];
    for (int i : PRINT_ORDER) {
        const Overhead& o = overheads[i] = Summarise(figures[i]);
        std::printf("   %-20s %8.2f %10.2f %10.2f %7.3f   <= %.2f %-6s  %.2f ms, ratio %.3f\n",
                    ACTIONS[i].name, Ms(o.exe), Ms(o.earliest), Ms(o.serve), o.ratio,
                    OVERHEAD_TARGET, Verdict(o.ratio <= OVERHEAD_TARGET), Ms(o.throughout),
                    o.throughoutRatio);
    }
    // A read's job ends only by time-out once its chip is mute: it takes the plain write's.
    overheads[1].around = overheads[0].around;
    std::printf(
        "\n   Where the time goes (medians, ms). driver: serving the write calls."
        " Wine I/O: the same\n   write and read calls from a plain loop in this"
        " process, less the driver's time. around:\n   the same action with the"
        " chip refusing its first frame, less the driver's time: the click,\n   port"
        " open and set-up, job thread, one refused write, status text and its"
        " detection (a read\n   takes the plain write's). rest: what the frames cost"
        " in the exe beyond the plain loop.\n   floor: the plain loop's frames over"
        " the driver's time, the best any program can do here.\n");
    std::printf("   %-20s %8s %9s %8s %11s %8s %7s\n", "", "driver", "Wine I/O", "around",
                "(port open)", "rest", "floor");
    for (int i : PRINT_ORDER) {
        const Overhead& o = overheads[i];
        double wineIo = o.directFrames - o.directServe;
        double rest = o.exe - o.serve - wineIo - o.around;
        std::printf("   %-20s %8.2f %9.2f %8.2f %11.2f %8.2f %7.3f\n", ACTIONS[i].name, Ms(o.serve),
                    Ms(wineIo), Ms(o.around), Ms(o.directOpen), Ms(rest),
                    o.directFrames / std::max(1.0, o.directServe));
    }

    const ActionInfo& read = ACTIONS[1];
    std::vector<double> perFrame, perFrameBeyond;
    for (const DirectRun& run : figures[1].directNoDelay) {
        perFrame.push_back(run.framesMicros / read.readFrames);
    }
    for (const DirectRun& run : figures[1].direct) {
        perFrameBeyond.push_back((run.framesMicros - ServeMicros(run.traffic)) / read.readFrames);
    }
    std::printf(
        "\n   Wine's own cost, measured here: a read frame (4-byte WriteFile, 1-byte"
        " ReadFile) %.0f us with\n   no emulated delay, %.0f us beyond the driver's"
        " time at %u us; one request to the driver and\n   back %.0f us; a thread's"
        " start %.0f us; one status poll %.0f us.\n",
        Median(perFrame), Median(perFrameBeyond), FRAME_DELAY_US, DriverRoundTripMicros(sim),
        ThreadStartMicros(), pollMicros);
}

// The programs timed at start-up: the tool, the bare dialog the target compares it with, and
// the bare dialog with the tool's ingredients added one by one.
struct Starter {
    const char* label;
    std::string path;
    const char* arguments;
    bool listsPorts;
    std::vector<double> times;
    std::vector<double> idle;
    int ports = 0;
};

std::string Sibling(const std::string& path, const char* name) {
    size_t slash = path.find_last_of("\\/");
    return (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + name;
}

bool MeasureStartup(const std::string& barePath, int runs) {
    std::string bareV6 = Sibling(barePath, "bare_dialog_v6.exe");
    Starter starters[] = {
        {"ZQ61CFG.exe", AppPath(), "", true, {}, {}},
        {"bare_dialog.exe", barePath, "", false, {}, {}},
        {"  + SimSun, Chinese", barePath, "cjk", false, {}, {}},
        {"  + manifest", bareV6, "", false, {}, {}},
        {"  + both", bareV6, "cjk", false, {}, {}},
        {"  tool's resources", Sibling(barePath, "bare_dialog_tool.exe"), "", false, {}, {}},
    };
    // One untimed launch of each first, then the programs in turn.
    for (int run = 0; run <= runs; run++) {
        for (Starter& starter : starters) {
            Launch launch;
            if (!TimeLaunch(starter.path, starter.arguments, starter.listsPorts, launch)) {
                return false;
            }
            if (run > 0) {
                starter.times.push_back(launch.micros);
                starter.idle.push_back(launch.idleMicros);
                starter.ports = launch.ports;
            }
        }
    }
    // Port discovery as the dialog's start-up runs it: the registry walk and a probe of each.
    std::vector<double> discovery;
    for (int run = 0; run < 20; run++) {
        MemoryPortList list;
        double start = NowMicros();
        EnumeratePorts(list);
        discovery.push_back(NowMicros() - start);
    }
    double bare = Median(starters[1].times);
    double ratio = Median(starters[0].times) / bare;
    std::printf(
        "3. Start-up: launch to a dialog that accepts input (the process idle waiting"
        " for input, its\n   dialog visible, the ports listed), median of %d launches"
        " each, in turn, same wineserver\n",
        runs);
    for (const Starter& starter : starters) {
        std::printf("   %-20s %8.2f ms  (input idle at %.2f ms)", starter.label,
                    Ms(Median(starter.times)), Ms(Median(starter.idle)));
        if (starter.listsPorts) {
            std::printf(", %d ports listed", starter.ports);
        }
        std::printf("\n");
        if (&starter == &starters[1]) {
            std::printf("   %-20s %8.3f      target <= %.2f  %s\n", "ratio", ratio, STARTUP_TARGET,
                        Verdict(ratio <= STARTUP_TARGET));
            std::printf(
                "   The bare dialog with the tool's ingredients, to see where the"
                " difference goes:\n");
        }
    }
    std::printf(
        "   ZQ61CFG.exe over the bare code showing the tool's resources: %.3f (its own"
        " code's share).\n   Port discovery alone (registry walk, a probe of each"
        " port): %.2f ms.\n",
        Median(starters[0].times) / Median(starters[5].times), Ms(Median(discovery)));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: app_bench ZQ61CFG.exe bare_dialog.exe [runs] [--no-startup]\n");
        return 2;
    }
    SetAppPath(argv[1]);
    std::string barePath = WindowsPath(argv[2]);
    int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    bool startup = argc <= 4 || std::strcmp(argv[4], "--no-startup") != 0;
    // Sleep(1) sleeps one millisecond, not a scheduler tick.
    timeBeginPeriod(1);

    SimControl sim;
    if (!sim.IsOpen() || !sim.Reset(PORT)) {
        Fail("the stand-in driver does not answer");
        return 1;
    }
    ActionFigures figures[3];
    double pollMicros = 0;
    if (!MeasureExe(sim, runs, figures, pollMicros) || !MeasureDirect(sim, runs, figures)) {
        return 1;
    }
    sim.Reset(PORT);

    std::printf(
        "1. Frames per action, from the stand-in driver's log and counters (every run of"
        " group 2)\n");
    for (int i : PRINT_ORDER) {
        PrintFrames(ACTIONS[i], figures[i]);
    }
    std::printf("\n");
    PrintOverhead(sim, runs, figures, pollMicros);
    std::fflush(stdout);
    if (!startup) {
        return 0;
    }
    std::printf("\n");
    bool ok = MeasureStartup(barePath, runs);
    std::fflush(stdout);
    return ok ? 0 : 1;
}
