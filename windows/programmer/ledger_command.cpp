// zq61prog ledger: a line's shared database, set up and read: its tables, a sequence (the line's
// job), the report and the export.
#include "beside_job.h"
#include "command_failure.h"
#include "command_options.h"
#include "commands.h"
#include "console_output.h"
#include "exit_codes.h"
#include "identity_description.h"
#include "job_load.h"
#include "lease_operations.h"
#include "json_line.h"
#include "ledger_operations.h"
#include "ledger_roles.h"
#include "ledger_questions.h"
#include "lock_consent.h"
#include "machine_defaults.h"
#include "report_command.h"
#include "list_scheme.h"
#include "log_csv.h"
#include "sequence_identity.h"
#include "scheme_choice.h"
#include "value_checks.h"
#include "whole_file.h"

namespace {

// The value, or the failure: a value the ledger refuses is a bad value, anything else means the
// ledger cannot be reached or used.
template <typename T>
T Checked(Result<T, LedgerError> result) {
    if (!result) {
        throw CommandFailure{result.Err().refused ? EXIT_BAD_USAGE : EXIT_RECORD_FAILED,
                             result.Err().message};
    }
    return std::move(*result);
}

// Where the sequence's serials come from, as the operator reads it.
std::string SerialsOf(const SequenceDefinition& sequence) {
    switch (sequence.scheme) {
        case SequenceScheme::From:
            return "serials from " + sequence.firstSerial;
        case SequenceScheme::Format:
            return "serials of format " + sequence.serialFormat + " (dates " +
                   (sequence.utcOffset.empty() ? std::string("UTC") : "UTC" + sequence.utcOffset) +
                   ")";
        case SequenceScheme::List:
            return "serials from its list";
        default:
            return "serials of an unknown scheme";
    }
}

std::string Describe(const SequenceDefinition& sequence) {
    Result<ChipIdentity> identity = IdentityOfSequence(sequence);
    const std::string lock = std::string(", lock ") + (sequence.lock ? "yes" : "no") +
                             (sequence.job.empty() ? "" : ", job " + sequence.job);
    if (!identity) {
        // A row edited by hand is still reported, as it stands, with why no batch takes it.
        return "VID " + sequence.vid + ", PID " + sequence.pid + ", " + SerialsOf(sequence) +
               ", product \"" + sequence.product + "\"" + lock + " (" + identity.Err().message +
               ")";
    }
    return DescribeIdentity(*identity, SerialsOf(sequence)) + lock;
}

// A list file's serials, read whole and checked before the ledger is asked anything.
std::vector<std::string> ReadList(const std::string& option, const std::string& path) {
    return ValueOrThrow(CheckedListSerials(option + ": " + path, ReadOptionFile(option, path)));
}

// The sequence the options define, its identity, and a list sequence's serials.
struct SequenceAsked {
    SequenceDefinition sequence;
    ChipIdentity identity;
    std::vector<std::string> list;
};

SequenceAsked FromOptions(const CommandLine& line) {
    SequenceAsked asked;
    asked.identity = IdentityOf(line.identity);
    const SchemeOptions& scheme = line.ledger.scheme;
    asked.sequence = SequenceFor(line.ledger.sequence, scheme.serialFrom, asked.identity);
    if (!scheme.serialFormat.empty()) {
        asked.sequence.scheme = SequenceScheme::Format;
        asked.sequence.serialFormat = scheme.serialFormat;
        asked.sequence.utcOffset = scheme.utcOffset;
    } else if (!scheme.serialList.empty()) {
        asked.sequence.scheme = SequenceScheme::List;
        asked.list = ReadList("--serial-list", scheme.serialList);
    }
    return asked;
}

SequenceAsked FromJob(const CommandLine& line) {
    const Job job = LoadJob(line.ledger.job);
    SequenceAsked asked;
    asked.identity = job.identity;
    const JobSerials& serials = job.serials;
    asked.sequence = SequenceFor(line.ledger.sequence, serials.from, asked.identity);
    asked.sequence.job = job.id;
    asked.sequence.jobDigest = job.digest;
    switch (serials.scheme) {
        case JobScheme::None:
            throw CommandFailure{EXIT_BAD_USAGE, "--job: " + line.ledger.job +
                                                     ": the job names no serials: a sequence "
                                                     "needs serial-from, serial-format or "
                                                     "serial-list"};
        case JobScheme::From:
            break;
        case JobScheme::Format:
            asked.sequence.scheme = SequenceScheme::Format;
            asked.sequence.serialFormat = serials.format;
            asked.sequence.utcOffset = serials.utcOffset;
            break;
        case JobScheme::List:
            asked.sequence.scheme = SequenceScheme::List;
            asked.list = LoadJobList(job);
            break;
    }
    return asked;
}

// The records made after a chip's programming, counted beside its outcomes.
constexpr BatchOutcome kLaterRecords[] = {BatchOutcome::Audited, BatchOutcome::AuditMismatch,
                                          BatchOutcome::Labelled, BatchOutcome::LabelFailed,
                                          BatchOutcome::LabelReprinted};

nlohmann::ordered_json Counts(const std::map<BatchOutcome, uint64_t>& records) {
    nlohmann::ordered_json counts = nlohmann::ordered_json::object();
    counts[OutcomeWord(BatchOutcome::Started)] = 0;
    for (BatchOutcome outcome : kFinalOutcomes) {
        counts[OutcomeWord(outcome)] = 0;
    }
    for (BatchOutcome outcome : kLaterRecords) {
        counts[OutcomeWord(outcome)] = 0;
    }
    for (const auto& [outcome, count] : records) {
        counts[OutcomeWord(outcome)] = count;
    }
    return counts;
}

std::string CountsText(const std::map<BatchOutcome, uint64_t>& records) {
    std::string text;
    nlohmann::ordered_json counts = Counts(records);
    for (const auto& [word, count] : counts.items()) {
        text += (text.empty() ? "" : ", ") + word + " " + std::to_string(count.get<uint64_t>());
    }
    return text;
}

int RunInit(const CommandLine& line) {
    bool created = Checked(InitLedger(line.ledger.connection));
    if (line.json) {
        WriteJsonLine({{"outcome", created ? "created" : "unchanged"}});
    } else {
        WriteLine(Stream::Out, created ? "ledger: tables created"
                                       : "ledger: the tables are there: nothing changed");
    }
    return EXIT_DONE;
}

int RunGrant(const CommandLine& line) {
    const std::optional<LedgerRole> role = RoleNamed(line.ledger.role);
    if (!role) {
        throw CommandFailure{EXIT_BAD_USAGE, "role: \"" + line.ledger.role +
                                                 "\" is not station, engineer or auditor"};
    }
    std::vector<std::string> privileges =
        Checked(GrantRole(line.ledger.connection, *role, line.ledger.user));
    if (line.json) {
        WriteJsonLine({{"user", line.ledger.user},
                       {"role", line.ledger.role},
                       {"outcome", "granted"},
                       {"privileges", privileges}});
        return EXIT_DONE;
    }
    WriteLine(Stream::Out, "ledger: " + line.ledger.user + " has the role " + line.ledger.role +
                               " now; on the ledger's tables it holds:");
    for (const std::string& table : privileges) {
        WriteLine(Stream::Out, "  " + table);
    }
    return EXIT_DONE;
}

int RunSequence(const CommandLine& line) {
    const SequenceAsked asked = line.ledger.job.empty() ? FromOptions(line) : FromJob(line);
    const SequenceDefinition& sequence = asked.sequence;
    RequireLockConsentPossible(asked.identity.lock, line.yes);
    if (asked.identity.lock && !line.yes) {
        AskLockConsent("every chip of sequence " + sequence.name,
                       DescribeIdentity(asked.identity, SerialsOf(sequence)));
    }
    bool defined = Checked(DefineSequence(line.ledger.connection, sequence, asked.list));
    std::vector<std::string> overlapping =
        Checked(OverlappingSequences(line.ledger.connection, sequence));
    if (line.json) {
        WriteJsonLine({{"sequence", sequence.name},
                       {"outcome", defined ? "defined" : "unchanged"},
                       {"scheme", SchemeWord(sequence.scheme)},
                       {"serialFrom", sequence.firstSerial},
                       {"serialFormat", sequence.serialFormat},
                       {"utcOffset", sequence.utcOffset},
                       {"listSize", asked.list.size()},
                       {"job", sequence.job},
                       {"vid", sequence.vid},
                       {"pid", sequence.pid},
                       {"product", sequence.product},
                       {"lock", sequence.lock},
                       {"overlaps", overlapping}});
    } else {
        WriteLine(Stream::Out, "sequence " + sequence.name + ": " +
                                   (defined ? "defined" : "already defined so: nothing changed") +
                                   "\n  " + Describe(sequence));
    }
    if (!overlapping.empty()) {
        std::string names;
        for (const std::string& name : overlapping) {
            names += (names.empty() ? "" : ", ") + name;
        }
        // Not refused: a line may mean it. Said, since each takes serials the other may use.
        WriteLine(Stream::Err, "zq61prog: sequence " + sequence.name + " overlaps " + names +
                                   " (the same VID, PID and serials): a serial one has used is "
                                   "skipped by the other");
    }
    return EXIT_DONE;
}

// The sequence's report as --json gives it, before its periods.
nlohmann::ordered_json ReportJson(const LedgerReport& report) {
    nlohmann::ordered_json stations = nlohmann::ordered_json::object();
    for (const StationCounts& station : report.stations) {
        stations[station.station] = Counts(station.records);
    }
    return {
        {"sequence", report.sequence.name},
        {"capacity", report.capacity},
        {"serialsUsed", report.serialsUsed},
        {"serialsVerified", report.serialsVerified},
        {"serialsFree", report.serialsFree},
        {"highest", report.highestSerial.empty() ? nlohmann::ordered_json(nullptr)
                                                 : nlohmann::ordered_json(report.highestSerial)},
        {"records", Counts(report.records)},
        {"stations", stations},
        {"withoutVerified", report.withoutVerified},
        {"leased", report.serialsLeased},
        {"released", report.serialsReleased}};
}

int RunReport(const CommandLine& line) {
    SequenceReport both = Checked(ReportSequence(line.ledger.connection, line.ledger.sequence,
                                                 PeriodOf(line), RangeOf(line)));
    const LedgerReport& report = both.totals;
    const LineReport& periods = both.periods;
    const ReportScope scope{"sequence " + report.sequence.name};
    if (line.json) {
        nlohmann::ordered_json json = ReportJson(report);
        WritePeriodReport(line, periods, scope, &json);
        WriteJsonLine(json);
        return EXIT_DONE;
    }
    WriteLine(Stream::Out, "sequence " + report.sequence.name + ": " + Describe(report.sequence));
    WriteLine(
        Stream::Out,
        "serials: capacity " + report.capacity +
            (report.sequence.scheme == SequenceScheme::List
                 ? ", free " + std::to_string(report.serialsFree)
                 : std::string()) +
            ", used " + std::to_string(report.serialsUsed) + ", verified " +
            std::to_string(report.serialsVerified) +
            (report.serialsLeased > 0 ? ", leased " + std::to_string(report.serialsLeased) +
                                            ", released " + std::to_string(report.serialsReleased)
                                      : std::string()) +
            ", the highest " +
            (report.highestSerial.empty() ? std::string("none") : report.highestSerial));
    WriteLine(Stream::Out, "records: " + CountsText(report.records));
    for (const StationCounts& station : report.stations) {
        WriteLine(Stream::Out, "station " + station.station + ": " + CountsText(station.records));
    }
    std::string missing;
    for (const std::string& serial : report.withoutVerified) {
        missing += (missing.empty() ? "" : ", ") + serial;
    }
    WriteLine(Stream::Out, "used without a verified outcome: " +
                               (missing.empty() ? std::string("none") : missing));
    WritePeriodReport(line, periods, scope, nullptr);
    return EXIT_DONE;
}

int RunImport(const CommandLine& line) {
    std::vector<std::string> serials = ReadList("--file", line.ledger.file);
    uint64_t size = Checked(ImportSerials(line.ledger.connection, line.ledger.sequence, serials));
    if (line.json) {
        WriteJsonLine({{"sequence", line.ledger.sequence},
                       {"outcome", "imported"},
                       {"added", serials.size()},
                       {"listSize", size}});
    } else {
        WriteLine(Stream::Out, "sequence " + line.ledger.sequence + ": " +
                                   std::to_string(serials.size()) + " serials added, " +
                                   ListCapacity(size));
    }
    return EXIT_DONE;
}

int RunExport(const CommandLine& line) {
    std::vector<LedgerEntry> records =
        Checked(Export(line.ledger.connection, line.ledger.sequence));
    std::string text = ExportStart();
    for (const LedgerEntry& record : records) {
        text += EncodeExportLine(record);
    }
    WriteText(Stream::Out, text);
    return EXIT_DONE;
}

nlohmann::ordered_json LeaseJson(const LeaseCounts& counts) {
    return {{"sequence", counts.sequence}, {"station", counts.station},
            {"leased", counts.leased},     {"used", counts.used},
            {"unused", counts.unused},     {"released", counts.released}};
}

std::string LeaseText(const LeaseCounts& counts) {
    return "sequence " + counts.sequence + ", station " + counts.station + ": leased " +
           std::to_string(counts.leased) + ", used " + std::to_string(counts.used) + ", unused " +
           std::to_string(counts.unused) + ", released " + std::to_string(counts.released);
}

int RunLease(const CommandLine& line) {
    const bool release = line.ledger.lease == "release";
    std::vector<LeaseCounts> leases =
        release ? Checked(ReleaseLeases(line.ledger.connection, line.ledger.station,
                                        line.ledger.sequence))
                : Checked(ListLeases(line.ledger.connection, line.ledger.sequence));
    for (const LeaseCounts& counts : leases) {
        if (line.json) {
            WriteJsonLine(LeaseJson(counts));
        } else {
            WriteLine(Stream::Out, LeaseText(counts));
        }
    }
    if (leases.empty() && !line.json) {
        WriteLine(Stream::Out, release ? "station " + line.ledger.station + ": no lease to release"
                                       : std::string("no leases"));
    }
    return EXIT_DONE;
}

void AddSequenceName(CLI::App& command, std::string& name, const char* option) {
    command.add_option(option, name, "the sequence's name")
        ->type_name("NAME")
        ->required()
        ->check(Check(CheckName));
}

void AddInitOptions(CLI::App& init, CommandLine& line) {
    AddLedgerOption(init, line.ledger.connection);
    AddJsonFlag(init, line);
}

void AddGrantOptions(CLI::App& grant, CommandLine& line) {
    AddLedgerOption(grant, line.ledger.connection);
    grant.add_option("role", line.ledger.role, "station, engineer or auditor")
        ->required()
        ->check(CLI::IsMember({"station", "engineer", "auditor"}));
    grant
        .add_option("user", line.ledger.user,
                    "the login, as the server names it (MariaDB: name or name@host)")
        ->required();
    AddJsonFlag(grant, line);
}

void AddSequenceOptions(CLI::App& sequence, CommandLine& line) {
    AddLedgerOption(sequence, line.ledger.connection);
    AddSequenceName(sequence, line.ledger.sequence, "--name");
    AddSchemeOptions(sequence, line.ledger.scheme);
    sequence
        .add_option("--job", line.ledger.job,
                    "a job file: its identity and serials define the sequence, which keeps its id")
        ->type_name("FILE");
    AddIdentityOptions(sequence, false, line.identity);
    AddYesFlag(sequence, line);
    AddJsonFlag(sequence, line);
}

// A sequence's serials: from a job file, or from exactly one scheme and the identity's options.
void CheckSequenceOptions(const CLI::App& sequence, CommandLine& line) {
    if (line.ledger.job.empty()) {
        ThrowIfRefused(CheckSchemeOptions(sequence));
        return;
    }
    ThrowIfRefused(RefuseBesideJob(sequence, kJobIdentityOptions));
    ThrowIfRefused(RefuseBesideJob(sequence, kJobSchemeOptions));
}

void AddImportOptions(CLI::App& import, CommandLine& line) {
    AddLedgerOption(import, line.ledger.connection);
    AddSequenceName(import, line.ledger.sequence, "--sequence");
    import
        .add_option("--file", line.ledger.file,
                    "the serials: one a line, or a CSV's first column (UTF-8)")
        ->type_name("FILE")
        ->required();
    AddJsonFlag(import, line);
}

void AddLedgerReportOptions(CLI::App& report, CommandLine& line) {
    AddLedgerOption(report, line.ledger.connection);
    AddSequenceName(report, line.ledger.sequence, "--sequence");
    AddJsonFlag(report, line);
    AddPeriodOptions(report, line);
}

void AddExportOptions(CLI::App& exported, CommandLine& line) {
    AddLedgerOption(exported, line.ledger.connection);
    AddSequenceName(exported, line.ledger.sequence, "--sequence");
}

// ledger lease list and release: the serials leased ahead to stations.
void AddLeaseCommands(CLI::App& lease, CommandLine& line) {
    lease.require_subcommand(1);
    CLI::App* list = lease.add_subcommand(
        "list", "per station and sequence: serials leased, used, unused and released");
    CLI::App* release = lease.add_subcommand(
        "release", "a retired station's unused leased serials released, never to be written");
    for (CLI::App* command : {list, release}) {
        AddLedgerOption(*command, line.ledger.connection);
        command->add_option("--sequence", line.ledger.sequence, "only this sequence's leases")
            ->type_name("NAME")
            ->check(Check(CheckName));
    }
    release->add_option("--station", line.ledger.station, "the station whose leases end")
        ->type_name("NAME")
        ->required()
        ->check(Check(CheckName));
    AddJsonFlag(*list, line);
    AddJsonFlag(*release, line);
}

void CheckLeaseCommand(const CLI::App& lease, CommandLine& line) {
    line.ledger.lease = lease.get_subcommands().front()->get_name();
}

// The ledger's own commands, a row each, in the order the help lists them.
constexpr Command kLedgerCommands[] = {
    {"init", "create the ledger's tables when missing", AddInitOptions, nullptr, RunInit},
    {"grant", "give a login a role's privileges on the ledger (with the owner's connection)",
     AddGrantOptions, nullptr, RunGrant},
    {"sequence", "define a line's job: the serials and the identity every station writes",
     AddSequenceOptions, CheckSequenceOptions, RunSequence},
    {"import", "add serials to a list sequence, all or nothing", AddImportOptions, nullptr,
     RunImport},
    {"report",
     "counts per outcome and station, the highest serial, serials not verified; per hour or day: "
     "yield, failures, labels to reprint",
     AddLedgerReportOptions, CheckReportOptions, RunReport},
    {"export", "every record of a sequence as CSV, with its station", AddExportOptions, nullptr,
     RunExport},
    {"lease", "serials leased ahead to stations: list them, release them", AddLeaseCommands,
     CheckLeaseCommand, RunLease},
};

}  // namespace

void AddLedgerCommands(CLI::App& ledger, CommandLine& line) {
    ledger.require_subcommand(1);
    AddCommandRows(kLedgerCommands, ledger, line);
}

// The command named under ledger, its options that go together, and the ledger's connection
// from the environment.
void CheckLedgerCommand(const CLI::App& ledger, CommandLine& line) {
    const CLI::App& command = *ledger.get_subcommands().front();
    line.ledger.command = command.get_name();
    CheckTogether(kLedgerCommands, command, line);
    ThrowIfRefused(LedgerOrRefuse(line.ledger.connection, ThisMachine().ledger,
                                  "ledger: " + line.ledger.command));
}

int RunLedger(const CommandLine& line) {
    return RunCommand(kLedgerCommands, line.ledger.command, line);
}
