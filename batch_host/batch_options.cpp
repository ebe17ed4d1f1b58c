#include "batch_options.h"

#include "value_checks.h"

void AddBatchOptions(CLI::App& command, BatchOptions& options) {
    command
        .add_option("--serial-from", options.serialFrom,
                    "first serial; its trailing digits count up (ZQ000001, ZQ000002, ...)")
        ->type_name("TEXT")
        ->required()
        ->check(Check(CheckSerialFrom));
    command
        .add_option("--log", options.log,
                    "the batch's CSV log, appended; a restart resumes from it")
        ->type_name("FILE")
        ->required();
    command.add_option("--count", options.count, "stop after this many verified chips")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
    AddIdentityOptions(command, false, options.identity);
}
