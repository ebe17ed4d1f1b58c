// What a run needs before its first chip. A batch's, from its options: its ledger opened (a
// station's log, or a line's shared database), the serials resumed, the settings; any problem
// here ends the batch before a port is opened. An audit station's window reads only its station
// and count from it: nothing of an audit opens a ledger here or takes a serial.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "batch.h"
#include "batch_options.h"
#include "lease_journal.h"
#include "ledger.h"
#include "log_file.h"
#include "template_labeller.h"

struct RunStart {
    std::unique_ptr<LogFile> logFile;  // a station's own log only, and its store
    std::unique_ptr<LogStore> logStore;
    // A line's station with a lease (or a journal left to replay): its journal, which the
    // ledger writes to, so declared before it.
    std::unique_ptr<LogFile> journalFile;
    std::unique_ptr<LeaseJournal> journal;
    std::unique_ptr<Ledger> ledger;
    std::unique_ptr<TemplateLabeller> labeller;  // with --label only; settings point at it
    BatchSettings settings;
    // "log shift.csv", "log shift.csv, job 3F09A1C2 (Bench board)", "sequence line1 in the ledger"
    std::string recordName;
    std::string jobTitle;      // "job 3F09A1C2 (Bench board)" with --job, else ""
    std::string resumedAfter;  // the log's last used serial, when the batch resumes after it
    std::string capacity;      // the scheme's or the sequence's: "999999 in all", "9999 per week"
    std::string utcOffset;     // a format's "+08:00", "" for UTC: the labels' dates are taken at it
    // The serials are one counter after a prefix, so the one after a taken serial follows from
    // it; a format's period or a list's order is the ledger's to know.
    bool nextFollowsFromTake = true;
    // A shared ledger's login that could change or delete records: what the station says of it
    // when it starts (a warning, not a refusal); "" otherwise.
    std::string loginWarning;
};

// Throws a CommandFailure: EXIT_BAD_USAGE when the label's template is refused, the log cannot be
// opened or read, or no serial of the sequence is left; EXIT_RECORD_FAILED when the shared ledger
// cannot be reached or holds no such sequence. onConnection hears of a shared ledger's connection
// lost (false) and back (true).
RunStart StartBatch(const BatchOptions& options,
                    const std::function<void(bool connected)>& onConnection = {});
