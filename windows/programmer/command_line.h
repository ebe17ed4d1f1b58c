// The console programmer's command line: its commands, options and help, read with CLI11.
#pragma once

#include <string>
#include <vector>

#include "batch_options.h"

struct CommandLine {
    std::string command;  // the name of its row in commands.h
    bool json = false;
    bool yes = false;          // --lock confirmed beforehand
    std::string port;          // empty: the only chip port present
    IdentityOptions identity;  // write's
    std::string job;           // write's and audit's job file; "" without one
    std::string out;           // capture's job file
    bool force = false;        // capture replaces a file already there
    bool watch = false;        // audit every board that appears
    BatchOptions batch;        // a batch's; capture's serial scheme too
    struct {
        std::string command;     // "init", "grant", "sequence", "import", "report", "export" or
                                 // "lease"
        std::string lease;       // lease's own command: "list" or "release"
        std::string station;     // the station whose leases are released
        std::string connection;  // holds a password: never shown
        std::string sequence;
        SchemeOptions scheme;  // a sequence's serials
        std::string job;       // a job file that defines the sequence instead
        std::string file;      // import's list of serials
        std::string role;      // grant's: "station", "engineer" or "auditor"
        std::string user;      // grant's login, as the server names it
    } ledger;
    struct {
        std::string serial;
        std::string log;
        std::string sequence;
        std::string connection;  // holds a password: never shown
        std::string reason;
        std::string station;
        std::string label;
        std::string printer;
        std::string preview;
    } label;  // label's
    struct {
        std::string log;
        std::string by = "hour";  // "hour" or "day"
        std::string from;         // ISO 8601 UTC; "" when open
        std::string to;
        std::string html;  // a file for the HTML page; "" without one
        std::string serial;
        std::string sequence;
        std::string connection;  // holds a password: never shown
    } report;                    // report's, trace's, and ledger report's periods
    // The help or the version asked for, to print instead of running a command.
    std::string output;
};

// Reads the arguments (UTF-8, program name first). Throws a CommandFailure for a bad one.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// True when the arguments ask for JSON, so that even a refusal of the command line is JSON.
bool WantsJson(const std::vector<std::string>& args);

// One refusal: a line on standard error, or a JSON object on standard output with --json.
void WriteRefusal(bool json, const std::string& message);
