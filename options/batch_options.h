// A batch's options, the same for every program that runs one (the console's `batch` command, a
// station's window or its shortcut): read with one parser, checked with the same messages.
// Two kinds of ledger: a single station's log (--log, one serial scheme and the identity), or a
// line's shared database (--ledger or ZQ61_LEDGER, --sequence: the identity and the serials are
// the sequence's).
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "identity_options.h"
#include "result.h"

// Where a log batch's serials come from: exactly one of the three schemes.
struct SchemeOptions {
    std::string serialFrom;    // a first serial counted up
    std::string serialFormat;  // a factory's format
    std::string utcOffset;     // the format's dates at this offset from UTC; "" for UTC
    std::string serialList;    // a file of serials assigned in advance
};

struct BatchOptions {
    // A job file: the identity and the serials, instead of their options; "" without one.
    std::string job;
    SchemeOptions scheme;
    std::string log;
    std::string ledger;              // an ODBC connection string; holds a password: never shown
    std::string sequence;            // the line's job in the ledger
    std::string station;             // "" until checked: then the computer's name by default
    std::vector<std::string> ports;  // only these chip ports; empty: every one
    int count = 0;                   // 0: no limit
    int reconnectSeconds = 60;       // how long a lost ledger is waited for
    int lease = 0;                   // serials leased ahead to the station; 0: none
    int leaseLow = -1;               // a new lease when fewer remain; -1 until checked (lease/4)
    std::string journal;             // a leasing station's journal; "" until checked
    IdentityOptions identity;
    std::string label;    // a ZPL template (a UTF-8 path); "" when the batch prints no labels
    std::string printer;  // where the labels go: tcp:HOST[:PORT], queue:NAME or folder:DIR

    bool UsesLedger() const { return !sequence.empty(); }
    // The journal a line's station keeps with a lease, or replays without one when it is there:
    // --journal, else SEQUENCE-STATION.journal in the working folder.
    std::string JournalPath() const {
        return journal.empty() ? sequence + "-" + station + ".journal" : journal;
    }
};

// Parses the arguments (UTF-8, program name first) as CLI11 does from main's; CLI11's own
// exceptions (help, version, a bad option) reach the caller.
void ParseArguments(const std::vector<std::string>& args, CLI::App& app);

// Adds the batch's options to a command (or a program's own command line).
void AddBatchOptions(CLI::App& command, BatchOptions& options);
// --job FILE, for a command that takes its identity (and serials) from a job file.
void AddJobOption(CLI::App& command, std::string& job);

// A line's options, named alike by every command that reads or records a sequence: --ledger (the
// connection string; ZQ61_LEDGER when not given), --sequence and --station, with what each is
// for in that command.
void AddLedgerOption(CLI::App& command, std::string& connection);
void AddSequenceOption(CLI::App& command, std::string& sequence, const std::string& help);
void AddStationOption(CLI::App& command, std::string& station, const std::string& help);
// The scheme's options alone, for a command that only looks at serials.
void AddSchemeOptions(CLI::App& command, SchemeOptions& options);
// After parsing: exactly one scheme, --utc-offset only with a format; refused otherwise (bad
// usage).
Status CheckSchemeOptions(const CLI::App& command);

// What the computer a batch runs on supplies when the command line is silent, read by the
// Windows host (ThisMachine): the ledger named in the environment, so that a password need not
// stand on a command line ("" when none is set), and the computer's name for --station.
struct MachineDefaults {
    std::string ledger;
    std::string computerName;
};

// The ledger a command needs: the connection its --ledger gave, else the environment's; refused
// (bad usage) "WHO needs a ledger: …" when neither names one. who: what needs it, after the
// command's prefix ("serials: --sequence").
Status LedgerOrRefuse(std::string& connection, const std::string& environment,
                      const std::string& who);

// After parsing: the options that go together, or refused (bad usage) naming what is missing or
// does not belong (--printer's form too; the template is read when the batch starts). Fills the
// ledger and the station's name from machine.
Status CheckBatchOptions(const CLI::App& command, BatchOptions& options,
                         const MachineDefaults& machine);
