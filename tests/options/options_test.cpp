// The options' own decisions on the host: what a bad command line is told.
#include <gtest/gtest.h>

#include "audit_options.h"
#include "batch_options.h"
#include "command_failure.h"
#include "parse_error_text.h"

namespace {

TEST(ParseError, AMistypedOptionNeverShowsThePassword) {
    // A mistyped --ledger: the parser quotes the connection string among what it did not expect.
    const std::string password = "Sec ret;9";
    const std::vector<std::vector<std::string>> lines = {
        {"zq61station", "--leger", "Driver={x};Uid=u;Pwd={Sec ret;9};", "--sequence", "S"},
        {"zq61station", "--sequence", "S", "Driver={x};Pwd={Sec ret;9}"},
    };
    for (const std::vector<std::string>& args : lines) {
        CLI::App app("test", "zq61station");
        BatchOptions options;
        AddBatchOptions(app, options);
        std::string message;
        try {
            ParseArguments(args, app);
        } catch (const CLI::ParseError& error) {
            message = ScrubbedParseError(error.what(), args);
        }
        EXPECT_FALSE(message.empty()) << args[1];
        EXPECT_EQ(message.find("Sec"), std::string::npos) << message;
        EXPECT_EQ(message.find("ret;9"), std::string::npos) << message;
    }
}

TEST(LabelOptions, ALabelNeedsItsPrinterAndAPrinterOfAKnownForm) {
    const struct {
        std::vector<std::string> label;
        std::string said;  // "" when accepted
    } lines[] = {
        {{"--label", "l.zpl", "--printer", "tcp:10.0.0.5"}, ""},
        {{"--label", "l.zpl"}, "--label and --printer go together"},
        {{"--printer", "folder:labels"}, "--label and --printer go together"},
        {{"--label", "l.zpl", "--printer", "lpt1"}, "--printer: \"lpt1\": is not tcp:HOST"},
    };
    for (const auto& line : lines) {
        std::vector<std::string> args = {"zq61prog", "--serial-from", "ZQ000001", "--log", "l.csv"};
        args.insert(args.end(), line.label.begin(), line.label.end());
        CLI::App app("test", "zq61prog");
        BatchOptions options;
        AddBatchOptions(app, options);
        ParseArguments(args, app);
        std::string said;
        try {
            CheckBatchOptions(app, options, MachineDefaults{});
        } catch (const CommandFailure& failure) {
            said = failure.message;
        }
        EXPECT_EQ(said.substr(0, line.said.size()), line.said) << said;
        EXPECT_EQ(said.empty(), line.said.empty()) << said;
    }
}

// A job fixes the identity and the serials: any of their options beside --job is refused, naming
// the option and what the job names in its place. With a sequence the job is the sequence's, and
// its lease the line's.
TEST(BesideJob, AnIdentityOrSerialOptionIsRefusedNamingIt) {
    struct Case {
        std::vector<std::string> options;
        std::string error;  // "" when accepted
    };
    const Case cases[] = {
        {{}, ""},
        {{"--product", "X"}, "--product: the job file names the product"},
        {{"--vid", "1234"}, "--vid: the job file names the vid"},
        {{"--lock"}, "--lock: the job file names the lock"},
        {{"--serial-from", "ZQ000001"}, "--serial-from: the job file names the serials"},
        {{"--serial-format", "ZQ{YY}{N:4}"}, "--serial-format: the job file names the serials"},
        {{"--sequence", "line1", "--ledger", "DSN=x"}, ""},
        {{"--sequence", "line1", "--journal", "j"}, ""},  // the station's own
        {{"--sequence", "line1", "--lease", "40"}, "--lease: the job file names the lease"},
        {{"--sequence", "line1", "--lease-low", "4"}, "--lease-low: the job file names the lease"},
        {{"--sequence", "line1", "--product", "X"}, "--product does not go with --sequence"},
    };
    for (const Case& test : cases) {
        CLI::App app;
        BatchOptions options;
        AddBatchOptions(app, options);
        std::vector<std::string> args = {"zq61prog", "--job", "bench.json"};
        args.insert(args.end(), test.options.begin(), test.options.end());
        if (test.options.empty() || test.options[0] != "--sequence") {
            args.insert(args.end(), {"--log", "s.csv"});
        }
        ParseArguments(args, app);
        std::string error;
        try {
            CheckBatchOptions(app, options, MachineDefaults{"DSN=line", "st-a"});
        } catch (const CommandFailure& failure) {
            error = failure.message;
        }
        EXPECT_EQ(error.substr(0, test.error.size()), test.error) << error;
        EXPECT_EQ(error.empty(), test.error.empty()) << error;
    }
}

TEST(AuditOptions, TheLedgerGoesWithASequenceAndDefaultsToThisMachines) {
    struct Case {
        std::vector<std::string> options;
        MachineDefaults machine;
        std::string error;  // "" when accepted
    };
    const std::vector<Case> cases = {
        {{"--job", "bench.json", "--station", "st-a"},
         {"DSN=x", "pc"},
         "audit: --ledger and --station go with --sequence"},
        {{"--sequence", "line1"}, {"", "pc"}, "audit: --sequence needs a ledger"},
        {{"--sequence", "line1"}, {"DSN=line", "pc-7"}, ""},
    };
    for (const Case& test : cases) {
        CLI::App app;
        std::string job;
        BatchOptions options;
        AddAuditBasisOptions(app, job, options);
        std::vector<std::string> args = {"zq61prog"};
        args.insert(args.end(), test.options.begin(), test.options.end());
        ParseArguments(args, app);
        std::string error;
        try {
            CheckAuditSequence(app, options, test.machine, "audit: ");
        } catch (const CommandFailure& failure) {
            error = failure.message;
        }
        EXPECT_EQ(error.substr(0, test.error.size()), test.error) << error;
        EXPECT_EQ(error.empty(), test.error.empty()) << error;
        if (error.empty()) {
            EXPECT_EQ(options.ledger, "DSN=line");
            EXPECT_EQ(options.station, "pc-7");
        }
    }
}

}  // namespace
