#include "job_load.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "job_file.h"
#include "serial_list.h"
#include "value_checks.h"
#include "whole_file.h"

Job LoadJob(const std::string& path) {
    DWORD error = 0;
    std::optional<std::string> bytes = ReadWholeFile(path, error);
    if (!bytes) {
        throw CommandFailure{EXIT_BAD_USAGE, "--job: cannot read " + path + " (error " +
                                                 std::to_string(error) + ")"};
    }
    Result<Job> job = ParseJobFile(*bytes, path);
    if (!job) {
        throw CommandFailure{EXIT_BAD_USAGE, "--job: " + path + ": " + job.Err().message};
    }
    return *job;
}

std::vector<std::string> LoadJobList(const Job& job) {
    if (job.serials.scheme != JobScheme::List) {
        return {};
    }
    DWORD error = 0;
    std::optional<std::string> text = ReadWholeFile(job.serials.list, error);
    if (!text) {
        throw CommandFailure{EXIT_BAD_USAGE, "--job: serial-list: cannot read " + job.serials.list +
                                                 " (error " + std::to_string(error) + ")"};
    }
    SerialList list = ReadSerialList(*text, CheckSerial);
    if (!list.problem.empty()) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "--job: serial-list: " + job.serials.list + ": " + list.problem};
    }
    return list.serials;
}

std::string JobTitle(const Job& job) {
    return "job " + job.id + (job.name.empty() ? "" : " (" + job.name + ")");
}
