// zq61prog: the console programmer. The command line is read as UTF-16 and kept as UTF-8.
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "command_failure.h"
#include "command_line.h"
#include "commands.h"
#include "console_output.h"
#include "exit_codes.h"
#include "utf_text.h"

namespace {

int Run(const std::vector<std::string>& args) {
    CommandLine line = ParseCommandLine(args);
    if (!line.output.empty()) {
        WriteText(Stream::Out, line.output);
        return EXIT_DONE;
    }
    return RunCommand(kCommands, line.command, line);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; i++) {
        std::optional<std::string> arg = Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i]));
        if (!arg) {
            WriteRefusal(false, "argument " + std::to_string(i) + " is not valid Unicode text");
            return EXIT_BAD_USAGE;
        }
        args.push_back(*arg);
    }
    bool json = WantsJson(args);
    try {
        return Run(args);
    } catch (const CommandFailure& failure) {
        WriteRefusal(json, failure.message);
        return failure.exitCode;
    } catch (const std::exception& error) {
        WriteRefusal(json, std::string("internal error: ") + error.what());
        return EXIT_FAILED;
    }
}
