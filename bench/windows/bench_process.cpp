#include "bench_process.h"

BenchProcess::BenchProcess(const std::string& exe, const std::string& arguments, DWORD graceMs)
    : graceMs_(graceMs) {
    std::string commandLine = "\"" + exe + "\" " + arguments;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    win32::AutoCloseHandle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                           OPEN_EXISTING, 0, nullptr));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul.Get();
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &process)) {
        process_.Reset(process.hProcess);
        thread_.Reset(process.hThread);
        processId_ = process.dwProcessId;
    }
}

BenchProcess::~BenchProcess() {
    // Ended before its handles close, so no benchmark leaves a program running behind it.
    if (process_ && WaitForSingleObject(process_.Get(), graceMs_) == WAIT_TIMEOUT) {
        TerminateProcess(process_.Get(), 99);
        WaitForSingleObject(process_.Get(), 5000);
    }
}

bool BenchProcess::Wait(DWORD timeoutMs, DWORD& exitCode) const {
    return process_ && WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(process_.Get(), &exitCode);
}

std::string NewLogBatch(const std::string& log, int count) {
    DeleteFileA(log.c_str());
    return "--serial-from ZQ000001 --count " + std::to_string(count) + " --log \"" + log + "\"";
}
