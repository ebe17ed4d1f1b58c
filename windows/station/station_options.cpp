#include "station_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "audit_options.h"
#include "command_failure.h"
#include "exit_codes.h"
#include "identity_options.h"
#include "value_checks.h"
#include "parse_error_text.h"
#include "machine_defaults.h"
#include "zq_version.h"

namespace {

constexpr const char* kLanguageHelp =
    "the window's language: zh-CN or en (default: ZQ61_LANG, else Chinese for a Chinese Windows "
    "user interface, English otherwise)";

// The language's value checked: the text that refuses it, or nothing.
Language CheckedLanguage(const std::string& name, const std::string& what) {
    std::optional<Language> language = LanguageNamed(name);
    if (!language) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             what + ": \"" + name + "\" is no language here: zh-CN or en"};
    }
    return *language;
}

// An audit station reads every board and writes none: none of a batch's identity, serial or
// label options has a meaning here, so only what says what it audits against is taken.
StationCommand ParseAuditCommand(const std::vector<std::string>& args) {
    StationCommand command;
    command.audit = true;
    BatchOptions& options = command.options;
    CLI::App app(
        "An audit station: reads every ZQ61 chip plugged in (never writes one) and shows whether "
        "it is exactly what its job or its record says. It exits as zq61prog audit --watch does.",
        "zq61station --audit");
    app.set_version_flag("--version", ZQ_VERSION_TEXT);
    app.add_flag("--audit", command.audit, "audit the boards, never write them");
    // Taken out before the parse (TakeLanguageOption); named here for the help.
    std::string language;
    app.add_option("--lang", language, kLanguageHelp);
    AddAuditBasisOptions(app, options.job, options);
    AddWatchOptions(app, options);
    try {
        ParseArguments(args, app);
    } catch (const CLI::CallForHelp&) {
        command.output = app.help();
        return command;
    } catch (const CLI::CallForVersion&) {
        command.output = std::string("zq61station ") + ZQ_VERSION_TEXT;
        return command;
    } catch (const CLI::ParseError& error) {
        throw CommandFailure{EXIT_BAD_USAGE, ScrubbedParseError(error.what(), args)};
    }
    if ((app.count("--job") > 0) == (app.count("--sequence") > 0)) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "--audit: exactly one of --job and --sequence names "
                             "what the boards are compared with"};
    }
    CheckAuditSequence(app, options, ThisMachine(), "--audit: ");
    return command;
}

}  // namespace

StationCommand ParseStationCommand(const std::vector<std::string>& args) {
    if (std::find(args.begin() + std::min<size_t>(args.size(), 1), args.end(), "--audit") !=
        args.end()) {
        return ParseAuditCommand(args);
    }
    StationCommand command;
    CLI::App app(
        "A production station: programs every ZQ61 chip plugged in, with sequential "
        "serials, and shows each port's result from across the bench. Started "
        "without options, it asks for them. It exits as zq61prog batch does; Stop "
        "and closing the window stop it as Ctrl+C stops zq61prog (exit 130).",
        "zq61station");
    app.set_version_flag("--version", ZQ_VERSION_TEXT);
    AddBatchOptions(app, command.options);
    std::string language;
    app.add_option("--lang", language, kLanguageHelp);
    try {
        ParseArguments(args, app);
    } catch (const CLI::CallForHelp&) {
        command.output = app.help();
    } catch (const CLI::CallForVersion&) {
        command.output = std::string("zq61station ") + ZQ_VERSION_TEXT;
    } catch (const CLI::ParseError& error) {
        throw CommandFailure{EXIT_BAD_USAGE, ScrubbedParseError(error.what(), args)};
    }
    if (command.output.empty()) {
        CheckBatchOptions(app, command.options, ThisMachine());
    }
    return command;
}

std::optional<Language> TakeLanguageOption(std::vector<std::string>& args) {
    std::optional<Language> language;
    for (size_t i = 1; i < args.size();) {
        std::string value;
        if (args[i] == "--lang") {
            if (i + 1 >= args.size()) {
                throw CommandFailure{EXIT_BAD_USAGE, "--lang: a language is needed: zh-CN or en"};
            }
            value = args[i + 1];
            args.erase(args.begin() + i, args.begin() + i + 2);
        } else if (args[i].rfind("--lang=", 0) == 0) {
            value = args[i].substr(7);
            args.erase(args.begin() + i);
        } else {
            i++;
            continue;
        }
        if (language) {
            throw CommandFailure{EXIT_BAD_USAGE, "--lang: given more than once"};
        }
        language = CheckedLanguage(value, "--lang");
    }
    return language;
}

std::optional<Language> LanguageOfEnvironment(const std::string& value) {
    if (value.empty()) {
        return std::nullopt;
    }
    return CheckedLanguage(value, "ZQ61_LANG");
}
