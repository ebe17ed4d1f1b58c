#include "batch_options.h"

#include <windows.h>

#include "command_failure.h"
#include "exit_codes.h"
#include "utf_text.h"
#include "value_checks.h"

namespace {

std::string Environment(const wchar_t* name) {
    wchar_t value[4096];
    DWORD length = GetEnvironmentVariableW(name, value, 4096);
    if (length == 0 || length >= 4096) {
        return "";
    }
    return Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(value), length))
        .value_or("");
}

std::string ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &length)) {
        return "station";
    }
    return Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(name), length))
        .value_or("station");
}

void Refuse(const std::string& message) {
    throw CommandFailure{EXIT_BAD_USAGE, message};
}

}  // namespace

void ParseArguments(const std::vector<std::string>& args, CLI::App& app) {
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    app.parse(static_cast<int>(argv.size()), argv.data());
}

std::string DefaultLedger() {
    return Environment(L"ZQ_LEDGER");
}

void AddBatchOptions(CLI::App& command, BatchOptions& options) {
    command
        .add_option("--serial-from", options.serialFrom,
                    "first serial; its trailing digits count up (ZQ000001, ZQ000002, ...)")
        ->type_name("TEXT")
        ->check(Check(CheckSerialFrom));
    command
        .add_option("--log", options.log,
                    "the batch's CSV log, appended; a restart resumes from it")
        ->type_name("FILE");
    command
        .add_option("--ledger", options.ledger,
                    "a line's shared database, an ODBC connection string (default: ZQ_LEDGER)")
        ->type_name("CONNECTION");
    command.add_option("--sequence", options.sequence, "the line's sequence in the ledger")
        ->type_name("NAME")
        ->check(Check(CheckName));
    command
        .add_option("--station", options.station,
                    "this station's name in the ledger (default: the computer's name)")
        ->type_name("NAME")
        ->check(Check(CheckName));
    command
        .add_option("--ports", options.ports,
                    "only these chip ports, e.g. COM3,COM4 (default: every chip port)")
        ->type_name("PORTS")
        ->delimiter(',')
        ->check(Check(CheckPortName));
    command.add_option("--count", options.count, "stop after this many verified chips")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
    command
        .add_option("--reconnect-within", options.reconnectSeconds,
                    "how long a lost ledger is waited for before the batch stops (default 60)")
        ->type_name("SECONDS")
        ->check(CLI::Range(1, 3600));
    AddIdentityOptions(command, false, options.identity);
}

void CheckBatchOptions(const CLI::App& command, BatchOptions& options) {
    auto given = [&](const char* name) { return command.count(name) > 0; };
    if (!options.UsesLedger()) {
        if (given("--ledger") || given("--station") || given("--reconnect-within")) {
            Refuse("--ledger, --station and --reconnect-within go with --sequence");
        }
        if (!given("--log") || !given("--serial-from")) {
            Refuse(
                "--log and --serial-from (a station's own log), or --sequence with --ledger "
                "(a line's shared database), are required");
        }
        return;
    }
    if (given("--log") || given("--serial-from")) {
        Refuse(
            "--log and --serial-from do not go with --sequence: the ledger's sequence names "
            "the serials");
    }
    for (const char* identity : {"--vid", "--pid", "--product", "--lock"}) {
        if (given(identity)) {
            Refuse(std::string(identity) +
                   " does not go with --sequence: the ledger's sequence names the identity");
        }
    }
    if (options.ledger.empty()) {
        options.ledger = DefaultLedger();
    }
    if (options.ledger.empty()) {
        Refuse("--sequence needs a ledger: --ledger CONNECTION, or ZQ_LEDGER in the environment");
    }
    if (options.station.empty()) {
        options.station = ComputerName();
    }
}
