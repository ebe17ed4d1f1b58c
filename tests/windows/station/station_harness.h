// What every test of the real zq61station.exe shares: a run of the station driven from this
// process (its window, its tiles' texts, its boxes), the stand-in driver's chips with the
// chip-safety check around each test, and the batch's log as the batch reads it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app_session.h"
#include "chip_map.h"
#include "chip_safety.h"
#include "remote_controls.h"
#include "sim_control_client.h"
#include "sim_ports.h"
#include "station_ids.h"

// Set once by main.
void SetStationPath(const std::string& path);
SimControl& Sim();

// The language of a run whose words a test reads in both: the user's interface language,
// Chinese under the test scripts' locale, or English by --lang.
enum class Lang { ChineseUi, EnglishByOption };
// The run's arguments for the language (" --lang en" or nothing).
std::string LangArgs(Lang lang);
// The text the test expects in the run's language.
std::wstring Said(Lang lang, const std::wstring& english, const std::wstring& chinese);
std::string LangName(Lang lang);

// One run of the station, started at construction; a run still going at the end is killed.
class StationRun {
public:
    // userLanguage: the station picks its language itself (--lang, else the user's); otherwise
    // ZQ61_LANG says English, which the tests that read English words rely on.
    explicit StationRun(const std::string& arguments, bool userLanguage = false);

    // The station's window once it is visible; null when it does not come up.
    HWND WaitForWindow();
    // A dialog of the station other than except (the set-up form, a box); null when none comes.
    HWND WaitForDialog(HWND except, DWORD timeoutMs = 10000) const;
    DWORD WaitForExit(DWORD timeoutMs = 15000) const { return session_.WaitForExit(timeoutMs); }
    DWORD ProcessId() const { return session_.ProcessId(); }

    std::wstring Text(int id) const { return TextOf(GetDlgItem(window_, id)); }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    // The port's tile; null when the station shows none for it.
    HWND Tile(const std::string& port) const;
    std::wstring TileText(const std::string& port, int id) const;
    // Waits until the port's tile shows the state word (PASS, FAIL, ...).
    bool WaitForTile(const std::string& port, const std::wstring& state, DWORD timeoutMs = 10000);
    // Closes the window as an operator would, and waits for the station to end.
    DWORD Close(DWORD timeoutMs = 15000);

private:
    AppSession session_;
    HWND window_ = nullptr;
};

struct LogRow {
    std::string port, serial, outcome;
};

class StationTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Call after preparing chips, before the station runs: from here on every frame is checked.
    void ChipsReady() { safety.Begin(); }

    // The batch's options for this test's log.
    std::string Args(const std::string& serialFrom, int count) const;
    std::vector<LogRow> Log() const;
    // The serial the log records the port's chip verified with; "" when none.
    std::string VerifiedOn(const std::string& port) const;
    size_t Frames(const char* port, unsigned kind);
    // The message zq61prog batch prints for the same options, without its name and command.
    std::string ProgRefusal(const std::vector<std::wstring>& args, unsigned long& exitCode);

    SimControl& sim = Sim();
    ChipSafety safety{Sim()};
    std::string logPath;
};
