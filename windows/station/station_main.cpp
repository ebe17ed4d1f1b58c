// zq61station: a production station's window over the batch zq61prog runs. Started with a
// batch's options (from a shortcut, say) it starts at once; started with none, it asks for
// them. It exits with the batch's exit code, as zq61prog batch does.
#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

#include "audit_basis.h"
#include "audit_tile.h"
#include "audit_turns.h"
#include "batch.h"
#include "worker_thread.h"
#include "command_failure.h"
#include "exit_codes.h"
#include "core_words.h"
#include "setup_form.h"
#include "station_boxes.h"
#include "station_events.h"
#include "station_options.h"
#include "scoped_win.h"
#include "station_window.h"
#include "ui_texts.h"
#include "window_text.h"

namespace {

// The command line as UTF-8, the program's name first; a refusal when it is not valid text.
std::vector<std::string> Arguments() {
    int count = 0;
    win32::ScopedLocal<LPWSTR*> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> args;
    for (int i = 0; i < count; i++) {
        std::wstring arg = wide.Get()[i];
        std::string text = Utf8FromWide(arg);
        if (text.empty() && !arg.empty()) {
            throw CommandFailure{EXIT_BAD_USAGE, Say(IDS_BAD_ARGUMENT, {std::to_string(i)})};
        }
        args.push_back(text);
    }
    return args;
}

// The window's messages until it is gone, its dialog keys (Tab, Enter) handled as a dialog's.
void RunMessages(const StationWindow& window) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.Window() == nullptr || !IsDialogMessageW(window.Window(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// One batch in the window, from its start to the window's closing; the batch's exit code, or
// nothing when the lock was not confirmed.
std::optional<int> RunBatchWindow(const RunStart& start) {
    // Read once, here, before the window: while the batch runs the window never asks the
    // ledger, and follows the serials the boards take.
    // Not known at the start (none free now, or the ledger not read) is told alike: the header
    // says unknown until a board's take tells the next.
    Result<std::optional<std::string>> next = start.ledger->NextSerial();
    std::string firstSerial = next && *next ? **next : std::string();
    StationWindow window(start, firstSerial);
    if (window.Window() == nullptr) {
        throw CommandFailure{EXIT_FAILED, Say(IDS_NO_WINDOW)};
    }
    // Asked once, before any board: nothing is read or written until the answer is Yes.
    if (start.settings.identity.lock &&
        !AskLockConsent(window.Window(),
                        SayIdentity(Words(), start.settings.identity, firstSerial))) {
        window.Abandon();
        return std::nullopt;
    }
    StationEvents events(window.Window(), WM_STATION_EVENTS, start.nextFollowsFromTake);
    Batch batch(start.settings, *start.ledger, events);
    {
        // Declared after what its thread uses, so that it is joined before they go, and the
        // exit code is read once it has been.
        WorkerThread thread(batch, events);
        window.Begin(batch, events, thread);
        RunMessages(window);
    }
    return batch.ExitCode();
}

// An audit station in the window, from its start to the window's closing; its exit code, as
// zq61prog audit --watch gives it.
int RunAuditWindow(const BatchOptions& options) {
    AuditBasis basis =
        !options.job.empty()
            ? AuditBasis::FromJob(options.job)
            : AuditBasis::FromSequence(options.ledger, options.sequence, options.station);
    // The window's header and counters read what a batch's start holds; nothing of it opens a
    // ledger or takes a serial.
    RunStart start;
    start.settings.station = options.station;
    start.settings.count = options.count;
    StationWindow window(start, "", basis.Against());
    if (window.Window() == nullptr) {
        throw CommandFailure{EXIT_FAILED, Say(IDS_NO_WINDOW)};
    }
    StationEvents events(window.Window(), WM_STATION_EVENTS, false);
    AuditTurns::News news;
    news.reading = [&events](const std::string& port) {
        events.ChipPhaseChanged(port, ChipPhase::Reading);
    };
    news.audited = [&events, &basis](const std::string& port, const AuditReport* report,
                                     const std::string& problem) {
        StationEvent event;
        event.kind = StationEventKind::Audited;
        event.port = port;
        event.tile = report != nullptr ? AuditTile(Words(), *report, basis.JobId())
                                       : AuditUnreadTile(Words(), problem);
        events.Push(std::move(event));
    };
    news.stopping = [&events](const std::string& reason) { events.Stopping(reason); };
    AuditTurns audit(basis, options.ports, options.count, news);
    {
        // As a batch's: joined before what its thread uses goes.
        WorkerThread thread(audit, events);
        window.BeginAudit(audit, events, thread);
        RunMessages(window);
    }
    return audit.ExitCode();
}

// The language every text is said in: --lang, else ZQ61_LANG, else the user's Windows language
// (already in use, so that a refusal of either is said in it).
void ChooseLanguage(std::vector<std::string>& args) {
    if (std::optional<Language> option = TakeLanguageOption(args)) {
        UseLanguage(*option);
        return;
    }
    wchar_t value[64] = {};
    DWORD length = GetEnvironmentVariableW(L"ZQ61_LANG", value, std::size(value));
    // A value too long for the buffer names no language either.
    std::string environment = length < std::size(value) ? Utf8FromWide(value) : "(too long)";
    if (std::optional<Language> named = LanguageOfEnvironment(environment)) {
        UseLanguage(*named);
    }
}

int Run() {
    UseLanguage(LanguageOfUi(GetUserDefaultUILanguage()));
    std::vector<std::string> args = Arguments();
    ChooseLanguage(args);
    if (args.size() > 1) {
        StationCommand command = ParseStationCommand(args);
        if (!command.output.empty()) {
            ShowNotice(command.output);
            return EXIT_DONE;
        }
        if (command.audit) {
            return RunAuditWindow(command.options);
        }
        // A log that cannot be opened or read stops the station before any port is opened.
        RunStart start = StartBatch(command.options, TellLedgerConnection);
        std::optional<int> exitCode = RunBatchWindow(start);
        if (!exitCode) {
            throw CommandFailure{EXIT_BAD_USAGE, Say(IDS_LOCK_NOT_CONFIRMED)};
        }
        return *exitCode;
    }
    SetupValues values = DefaultSetupValues();
    for (;;) {
        RunStart start;
        if (!RunSetupForm(values, start)) {
            return EXIT_BAD_USAGE;  // nothing was opened
        }
        // A lock not confirmed goes back to the form, which keeps the values.
        if (std::optional<int> exitCode = RunBatchWindow(start)) {
            return *exitCode;
        }
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    StationWindow::Register(instance);
    try {
        return Run();
    } catch (const CommandFailure& failure) {
        ShowRefusal(nullptr, failure.message);
        return failure.exitCode;
    } catch (const std::exception& error) {
        ShowRefusal(nullptr, Say(IDS_INTERNAL_ERROR, {error.what()}));
        return EXIT_FAILED;
    }
}
