#include "station_harness.h"

#include "log_csv.h"
#include "prog_run.h"

namespace {

std::string stationPath;

// A port's name, ASCII, as the tile's window text.
std::wstring WideAscii(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

}  // namespace

void SetStationPath(const std::string& path) {
    stationPath = WindowsPath(path);
}

SimControl& Sim() {
    static SimControl control;
    return control;
}

std::string LangArgs(Lang lang) {
    return lang == Lang::EnglishByOption ? " --lang en" : "";
}

std::wstring Said(Lang lang, const std::wstring& english, const std::wstring& chinese) {
    return lang == Lang::EnglishByOption ? english : chinese;
}

std::string LangName(Lang lang) {
    return lang == Lang::EnglishByOption ? "EnglishByOption" : "ChineseUi";
}

StationRun::StationRun(const std::string& arguments, bool userLanguage) {
    // The station inherits this process's environment.
    SetEnvironmentVariableW(L"ZQ61_LANG", userLanguage ? nullptr : L"en");
    session_.Launch(stationPath, arguments);
}

HWND StationRun::WaitForWindow() {
    WaitUntil(
        [&] {
            return (window_ = FindProcessWindow(session_.ProcessId(), STATION_WINDOW_CLASS)) !=
                   nullptr;
        },
        10000);
    return window_;
}

HWND StationRun::WaitForDialog(HWND except, DWORD timeoutMs) const {
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindProcessDialog(session_.ProcessId(), except)) != nullptr; },
              timeoutMs);
    return dialog;
}

HWND StationRun::Tile(const std::string& port) const {
    HWND area = GetDlgItem(window_, IDC_TILE_AREA);
    return FindWindowExW(area, nullptr, STATION_TILE_CLASS, WideAscii(port).c_str());
}

std::wstring StationRun::TileText(const std::string& port, int id) const {
    HWND tile = Tile(port);
    return tile != nullptr ? TextOf(GetDlgItem(tile, id)) : L"";
}

bool StationRun::WaitForTile(const std::string& port, const std::wstring& state, DWORD timeoutMs) {
    return WaitUntil([&] { return TileText(port, IDC_TILE_STATE) == state; }, timeoutMs);
}

DWORD StationRun::Close(DWORD timeoutMs) {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    return session_.WaitForExit(timeoutMs);
}

void StationTest::SetUp() {
    ASSERT_TRUE(sim.ResetDefaultPorts()) << "cannot reset the default ports";
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    logPath = std::string(folder) + "zq61station-test.csv";
    DeleteFileA(logPath.c_str());
    safety.Begin();
}

void StationTest::TearDown() {
    for (const std::string& violation : safety.Violations()) {
        ADD_FAILURE() << "chip safety: " << violation;
    }
    for (const char* port : kDefaultPorts) {
        bool closed = WaitUntil([&] { return sim.State(port).openHandles == 0; }, 3000);
        EXPECT_TRUE(closed) << port << " is still open after the test";
    }
    sim.ResetDefaultPorts();
}

std::string StationTest::Args(const std::string& serialFrom, int count) const {
    return "--serial-from " + serialFrom + " --log \"" + logPath + "\" --count " +
           std::to_string(count);
}

std::vector<LogRow> StationTest::Log() const {
    std::vector<LogRow> rows;
    Result<LogContents> contents =
        DecodeLog(ReadWhole(std::wstring(logPath.begin(), logPath.end())));
    for (const LedgerEntry& entry : contents ? contents->entries : std::vector<LedgerEntry>()) {
        rows.push_back({entry.port, entry.serial, OutcomeWord(entry.outcome)});
    }
    return rows;
}

std::string StationTest::VerifiedOn(const std::string& port) const {
    for (const LogRow& row : Log()) {
        if (row.port == port && row.outcome == "verified") {
            return row.serial;
        }
    }
    return "";
}

size_t StationTest::Frames(const char* port, unsigned kind) {
    size_t count = 0;
    for (const ZqSimLogEntry& entry : sim.Log(port)) {
        count += entry.kind == kind;
    }
    return count;
}

std::string StationTest::ProgRefusal(const std::vector<std::wstring>& args,
                                     unsigned long& exitCode) {
    std::vector<std::wstring> batch = {L"batch"};
    batch.insert(batch.end(), args.begin(), args.end());
    ProgResult result = RunProg(batch);
    exitCode = result.exitCode;
    std::string line = Lines(result.err).empty() ? "" : Lines(result.err).front();
    for (const char* prefix : {"zq61prog: ", "batch: "}) {
        if (line.rfind(prefix, 0) == 0) {
            line = line.substr(std::string(prefix).size());
        }
    }
    return line;
}
