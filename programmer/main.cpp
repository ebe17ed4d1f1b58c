// zq61prog: the console programmer. The command line is read as UTF-16 and kept as UTF-8.
#include <windows.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "exit_codes.h"
#include "utf_text.h"

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
    CommandLine line;
    int exitCode = ParseCommandLine(args, line);
    if (exitCode >= 0) {
        return exitCode;
    }
    if (line.command == "list") {
        return RunList(line);
    }
    if (line.command == "read") {
        return RunRead(line);
    }
    if (line.command == "write") {
        return RunWrite(line);
    }
    return RunBatch(line);
}
