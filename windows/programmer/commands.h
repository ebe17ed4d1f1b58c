// The console programmer's commands, one row each: its name and help, its options, the values
// that only make sense together, and its run. A new command is a row here and a file of its own
// holding the row's functions.
#pragma once

#include <CLI/CLI.hpp>
#include <span>
#include <string>

#include "command_line.h"

struct Command {
    const char* name;
    const char* help;  // the line the program's help shows beside the name
    // Adds the command's options (or its own commands) to the command the parser made for it.
    void (*addOptions)(CLI::App& command, CommandLine& line);
    // Once the arguments are read, before anything is opened: the values that only make sense
    // together, refused with a CommandFailure (EXIT_BAD_USAGE); what the computer supplies (its
    // name, the ledger from the environment) filled in. nullptr: nothing to check.
    void (*checkTogether)(const CLI::App& command, CommandLine& line);
    // Returns the exit code of a result it has reported, or throws a CommandFailure.
    int (*run)(const CommandLine& line);
};

// list_command.cpp
void AddListOptions(CLI::App& command, CommandLine& line);
int RunList(const CommandLine& line);
// read_command.cpp
void AddReadOptions(CLI::App& command, CommandLine& line);
int RunRead(const CommandLine& line);
// write_command.cpp
void AddWriteOptions(CLI::App& command, CommandLine& line);
void CheckWriteOptions(const CLI::App& command, CommandLine& line);
int RunWrite(const CommandLine& line);
// batch_command.cpp
void AddBatchCommandOptions(CLI::App& command, CommandLine& line);
void CheckBatchCommand(const CLI::App& command, CommandLine& line);
int RunBatch(const CommandLine& line);
// serials_command.cpp
void AddSerialsOptions(CLI::App& command, CommandLine& line);
void CheckSerialsOptions(const CLI::App& command, CommandLine& line);
int RunSerials(const CommandLine& line);
// capture_command.cpp
void AddCaptureOptions(CLI::App& command, CommandLine& line);
void CheckCaptureOptions(const CLI::App& command, CommandLine& line);
int RunCapture(const CommandLine& line);
// audit_command.cpp
void AddAuditOptions(CLI::App& command, CommandLine& line);
void CheckAuditOptions(const CLI::App& command, CommandLine& line);
int RunAudit(const CommandLine& line);
// ledger_command.cpp
void AddLedgerCommands(CLI::App& command, CommandLine& line);
void CheckLedgerCommand(const CLI::App& command, CommandLine& line);
int RunLedger(const CommandLine& line);
// label_command.cpp
void AddLabelOptions(CLI::App& command, CommandLine& line);
void CheckLabelCommand(const CLI::App& command, CommandLine& line);
int RunLabel(const CommandLine& line);
// report_command.cpp (report_command.h)
void AddReportOptions(CLI::App& command, CommandLine& line);
void AddTraceOptions(CLI::App& command, CommandLine& line);
void CheckReportOptions(const CLI::App& command, CommandLine& line);
int RunLogReport(const CommandLine& line);
int RunTrace(const CommandLine& line);

// In the order the help lists them.
inline constexpr Command kCommands[] = {
    {"list", "list the chip ports, one per line", AddListOptions, nullptr, RunList},
    {"read", "read a chip's configuration", AddReadOptions, nullptr, RunRead},
    {"write", "write an identity, read it back and compare", AddWriteOptions, CheckWriteOptions,
     RunWrite},
    {"batch", "program every chip that appears, with sequential serials, logging each",
     AddBatchCommandOptions, CheckBatchCommand, RunBatch},
    {"serials", "the next serials a batch would take after its log, and the capacity",
     AddSerialsOptions, CheckSerialsOptions, RunSerials},
    {"capture", "read a known-good board and write a job file of its identity (never its serial)",
     AddCaptureOptions, CheckCaptureOptions, RunCapture},
    {"audit", "read a chip (never write it) and compare it with its job or its record",
     AddAuditOptions, CheckAuditOptions, RunAudit},
    {"ledger", "a line's shared database: its tables, a sequence, the report, the export",
     AddLedgerCommands, CheckLedgerCommand, RunLedger},
    {"label", "print a verified board's label again, on record; or preview a label's ZPL",
     AddLabelOptions, CheckLabelCommand, RunLabel},
    {"report", "a station's log per hour or day: counts, yield, failures, labels to reprint",
     AddReportOptions, CheckReportOptions, RunLogReport},
    {"trace", "every record of one serial in time order, across stations", AddTraceOptions,
     CheckReportOptions, RunTrace},
};

// Adds each row's command, with its options, under parent, in the table's order.
void AddCommandRows(std::span<const Command> table, CLI::App& parent, CommandLine& line);
// The checks together of the row the parsed command is, when it has any.
void CheckTogether(std::span<const Command> table, const CLI::App& parsed, CommandLine& line);
// Runs the table's command of that name. The parser refuses a name it does not know, so a name
// missing here is refused all the same.
int RunCommand(std::span<const Command> table, const std::string& name, const CommandLine& line);
