// A station on a line's shared ledger, the database server stopped and started again in the
// middle of its batch (the test script starts the servers and names them, and the command that
// stops and starts each, in ZQ_TEST_PG, ZQ_TEST_PG_CONTROL, ...): no board starts while the
// ledger does not answer, the station says so, and it goes on when the server is back, every
// serial once.
#include <chrono>
#include <cstdlib>
#include <set>

#include "prog_run.h"
#include "station_harness.h"

namespace {

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

class LineOutage : public StationTest, public testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        const char* connection = std::getenv(GetParam());
        const char* control = std::getenv((std::string(GetParam()) + "_CONTROL").c_str());
        if (connection == nullptr || control == nullptr) {
            GTEST_SKIP() << GetParam() << " or its _CONTROL is not set: no server to stop";
        }
        StationTest::SetUp();
        ledger = connection;
        control_ = control;
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        sequence = "outage-" + std::to_string(now);
        ASSERT_EQ(Prog({L"ledger", L"init"}).exitCode, 0u);
        // A PID of its own: a serial is unique per VID and PID, whatever the sequence.
        wchar_t pid[8];
        swprintf(pid, 8, L"%04X", static_cast<unsigned>(1 + now / 1000 % 0xFFFD));
        ProgResult defined = Prog({L"ledger", L"sequence", L"--name", Wide(sequence),
                                   L"--serial-from", L"OU000001", L"--pid", pid});
        ASSERT_EQ(defined.exitCode, 0u) << defined.err;
    }

    ProgResult Prog(std::vector<std::wstring> args) {
        args.insert(args.begin() + 2, {L"--ledger", Wide(ledger)});
        return RunProg(args);
    }
    // Whether the ledger answers a report: the server is up.
    bool Answers() {
        return Prog({L"ledger", L"report", L"--sequence", Wide(sequence)}).exitCode == 0;
    }
    // Runs the server's control command, a Unix one, as Wine runs a Unix program; then waits
    // until the ledger answers as asked.
    bool Control(const char* action, bool up) {
        std::wstring command = L"sh -c \"" + Wide(control_) + L" " + Wide(action) + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process)) {
            return false;
        }
        if (process.hProcess != nullptr) {
            CloseHandle(process.hProcess);
        }
        if (process.hThread != nullptr) {
            CloseHandle(process.hThread);
        }
        return WaitUntil([&] { return Answers() == up; }, 60000);
    }

    std::string ledger;
    std::string sequence;
    std::string control_;
};

// The window speaks the user's Chinese on one server's line and English by --lang on the other's.
TEST_P(LineOutage, AServerStoppedAndStartedMidBatchLosesNoBoardAndNoSerial) {
    Lang lang = std::string(GetParam()) == "ZQ_TEST_PG" ? Lang::ChineseUi : Lang::EnglishByOption;
    ASSERT_TRUE(sim.Remove(kChipB));
    ChipsReady();
    StationRun station("--ledger \"" + ledger + "\" --sequence " + sequence +
                           " --station st-outage --count 2 --reconnect-within 60" + LangArgs(lang),
                       true);
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(station.WaitForTile(kChipA, Said(lang, L"PASS", L"通过")));

    ASSERT_TRUE(Control("stop", false));
    ASSERT_TRUE(sim.Restore(kChipB));
    std::wstring lost = Said(lang,
                             L"The ledger does not answer (its connection is lost, or another "
                             L"station holds the sequence): no board starts until it does.",
                             L"账本没有响应（连接已断开，或另一工位占着序列）：在它响应之前不开始"
                             L"任何板子。");
    EXPECT_TRUE(WaitUntil([&] { return station.Text(IDC_BANNER) == lost; }, 15000))
        << "the station says the ledger does not answer: " << Utf8(station.Text(IDC_BANNER));
    EXPECT_EQ(Frames(kChipB, ZQSIM_LOG_WRITE), 0u) << "no board starts without its record";
    ASSERT_TRUE(Control("start", true));

    ASSERT_TRUE(station.WaitForTile(kChipB, Said(lang, L"PASS", L"通过"), 60000));
    std::set<std::wstring> serials = {station.TileText(kChipA, IDC_TILE_MAIN),
                                      station.TileText(kChipB, IDC_TILE_MAIN)};
    EXPECT_EQ(serials, (std::set<std::wstring>{L"OU000001", L"OU000002"}));
    EXPECT_TRUE(WaitUntil(
        [&] { return station.Text(IDC_STOP) == Said(lang, L"Complete", L"已完成"); }, 5000));
    EXPECT_EQ(station.Close(), 0u);

    ProgResult exported = Prog({L"ledger", L"export", L"--sequence", Wide(sequence)});
    ASSERT_EQ(exported.exitCode, 0u) << exported.err;
    std::vector<std::string> lines = Lines(exported.out);
    EXPECT_EQ(lines.size(), 5u) << exported.out << "a header, then started and verified twice";
}

// A leasing station goes on through the outage: the second board is programmed from the lease
// while the server is down and the banner says so, with the serials left; once the server is
// back every record lands once. One engine: the journal is the station's, not the server's.
class LeasingStationOutage : public LineOutage {};

TEST_P(LeasingStationOutage, BoardsGoOnFromTheLeaseOfflineAndTheRecordsLandOnce) {
    ASSERT_TRUE(sim.Remove(kChipB));
    ChipsReady();
    const std::string journal = logPath + ".journal";
    DeleteFileA(journal.c_str());
    StationRun station("--ledger \"" + ledger + "\" --sequence " + sequence +
                       " --station st-lease --lease 4 --journal \"" + journal +
                       "\" --count 2 --reconnect-within 60");
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(station.WaitForTile(kChipA, L"PASS"));

    ASSERT_TRUE(Control("stop", false));
    ASSERT_TRUE(sim.Restore(kChipB));
    ASSERT_TRUE(station.WaitForTile(kChipB, L"PASS", 30000)) << "a board goes on from the lease";
    const std::wstring offline = L"The ledger does not answer: working offline since ";
    const std::wstring left =
        L" UTC, 2 serials of the lease left; the records go to the journal until it answers.";
    // "... since 16:12:32 UTC, 2 serials ...": the time the outage began, then what is left.
    auto saysOffline = [&](const std::wstring& banner) {
        return banner.rfind(offline, 0) == 0 && banner.size() == offline.size() + 8 + left.size() &&
               banner.substr(offline.size() + 8) == left;
    };
    EXPECT_TRUE(WaitUntil([&] { return saysOffline(station.Text(IDC_BANNER)); }, 15000))
        << Utf8(station.Text(IDC_BANNER));
    ASSERT_TRUE(Control("start", true));
    EXPECT_TRUE(WaitUntil([&] { return station.Text(IDC_BANNER).rfind(offline, 0) != 0; }, 30000))
        << "the banner leaves the outage: " << Utf8(station.Text(IDC_BANNER));
    EXPECT_EQ(
        station.TileText(kChipA, IDC_TILE_MAIN) + L" " + station.TileText(kChipB, IDC_TILE_MAIN),
        L"OU000001 OU000002");
    EXPECT_EQ(station.Close(60000), 0u) << "every record in the ledger before it exits 0";

    ProgResult exported = Prog({L"ledger", L"export", L"--sequence", Wide(sequence)});
    ASSERT_EQ(exported.exitCode, 0u) << exported.err;
    EXPECT_EQ(Lines(exported.out).size(), 5u) << exported.out << "started, verified, each once";
    ProgResult leases = RunProg(
        {L"ledger", L"lease", L"list", L"--ledger", Wide(ledger), L"--sequence", Wide(sequence)});
    EXPECT_NE(leases.out.find("station st-lease: leased 4, used 2, unused 2"), std::string::npos)
        << leases.out << leases.err;
    DeleteFileA(journal.c_str());
}

INSTANTIATE_TEST_SUITE_P(Server, LeasingStationOutage, testing::Values("ZQ_TEST_PG"),
                         [](const testing::TestParamInfo<const char*>&) {
                             return std::string("PostgreSQL");
                         });

INSTANTIATE_TEST_SUITE_P(Servers, LineOutage, testing::Values("ZQ_TEST_PG", "ZQ_TEST_MARIADB"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "ZQ_TEST_PG" ? "PostgreSQL"
                                                                            : "MariaDB";
                         });

}  // namespace
