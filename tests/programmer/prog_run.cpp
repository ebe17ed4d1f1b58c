#include "prog_run.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace {

std::wstring progPath;

std::wstring Quoted(const std::wstring& arg) {
    // Enough for the tests' arguments: none ends in a backslash or holds a quote.
    return L"\"" + arg + L"\"";
}

HANDLE InheritableFile(const std::wstring& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string ReadWhole(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

void SetProgPath(const std::string& path) {
    std::string windows = path;
    if (!windows.empty() && windows[0] == '/') {
        windows = "Z:" + windows;
    }
    for (char& c : windows) {
        c = c == '/' ? '\\' : c;
    }
    progPath.assign(windows.begin(), windows.end());
}

ProgResult RunProg(const std::vector<std::wstring>& args) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring outPath = std::wstring(folder) + L"zq61prog-test.out";
    std::wstring errPath = std::wstring(folder) + L"zq61prog-test.err";

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = InheritableFile(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = InheritableFile(errPath, GENERIC_WRITE, CREATE_ALWAYS);

    std::wstring commandLine = Quoted(progPath);
    for (const std::wstring& arg : args) {
        commandLine += L" " + Quoted(arg);
    }
    ProgResult result;
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(progPath.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        // A whole write with a read time-out takes about 1.5 s; anything near this is a hang.
        if (WaitForSingleObject(process.hProcess, 30000) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
        }
        GetExitCodeProcess(process.hProcess, &result.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        result.exitCode = 0xDEAD;
    }
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    result.out = ReadWhole(outPath);
    result.err = ReadWhole(errPath);
    return result;
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
