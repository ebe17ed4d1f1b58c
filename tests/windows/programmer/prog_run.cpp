#include "prog_run.h"

#include "app_session.h"

#include <fstream>
#include <sstream>

namespace {

std::wstring progPath;
int runNumber = 0;

// Quoted as the C runtime reads a command line back: a quote escaped, and the backslashes
// before a quote (or the closing one) doubled.
std::wstring Quoted(const std::wstring& arg) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            backslashes++;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

HANDLE InheritableFile(const std::wstring& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string ReadWhole(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void SetProgPath(const std::string& path) {
    std::string windows = WindowsPath(path);
    progPath.assign(windows.begin(), windows.end());
}

ProgProcess::ProgProcess(const std::vector<std::wstring>& args) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring base = std::wstring(folder) + L"zq61prog-test-" + std::to_wstring(++runNumber);
    outPath_ = base + L".out";
    errPath_ = base + L".err";

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = InheritableFile(outPath_, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = InheritableFile(errPath_, GENERIC_WRITE, CREATE_ALWAYS);
    std::wstring commandLine = Quoted(progPath);
    for (const std::wstring& arg : args) {
        commandLine += L" " + Quoted(arg);
    }
    CreateProcessW(progPath.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                   nullptr, nullptr, &startup, &process_);
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
}

ProgProcess::~ProgProcess() {
    Kill();
    if (process_.hProcess != nullptr) {
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
}

void ProgProcess::Kill() {
    if (process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
}

ProgResult ProgProcess::Wait(DWORD timeoutMs) {
    ProgResult result;
    result.exitCode = 0xDEAD;
    if (process_.hProcess != nullptr) {
        if (WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_TIMEOUT) {
            Kill();
        }
        GetExitCodeProcess(process_.hProcess, &result.exitCode);
    }
    result.out = ReadWhole(outPath_);
    result.err = ReadWhole(errPath_);
    return result;
}

std::string ProgProcess::ErrSoFar() const {
    return ReadWhole(errPath_);
}

ProgResult RunProg(const std::vector<std::wstring>& args) {
    return ProgProcess(args).Wait();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}
