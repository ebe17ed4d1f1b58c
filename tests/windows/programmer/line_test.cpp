// A line of stations on one shared ledger, against real PostgreSQL and MariaDB servers (the test
// script starts them and names them in ZQ_TEST_PG and ZQ_TEST_MARIADB): zq61prog.exe processes
// as stations, each on its own chip ports of the stand-in driver.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <set>

#include "odbc_session.h"
#include "prog_harness.h"

namespace {

constexpr const char* kChipC = "COM31";  // a third station's socket
// Quotes, a semicolon and Chinese: what the database and the export must keep exactly.
const std::string kProduct = "Q\"uo;te 中文板";

std::wstring Wide(const std::string& utf8) {
    int units =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
    return wide;
}

class Line : public ProgTest, public testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        const char* connection = std::getenv(GetParam());
        if (connection == nullptr) {
            GTEST_SKIP() << GetParam() << " is not set: no database server to test against";
        }
        ProgTest::SetUp();
        ledger = Wide(connection);
        auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        sequence = L"line-" + std::to_wstring(now);
        ASSERT_EQ(Run({L"ledger", L"init"}).exitCode, 0u);
        // A PID of its own: a serial is unique per VID and PID, whatever the sequence, and every
        // test's sequence counts from LN000001.
        swprintf(pid, 8, L"%04X", static_cast<unsigned>(1 + now / 1000 % 0xFFFD));
        ProgResult defined = Run({L"ledger", L"sequence", L"--name", sequence, L"--serial-from",
                                  L"LN000001", L"--pid", pid, L"--product", Wide(kProduct)});
        ASSERT_EQ(defined.exitCode, 0u) << defined.err;
        if (!sim.AddPort(kChipC, ZQSIM_KIND_CHIP_A)) {
            ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        }
        ASSERT_TRUE(sim.Reset(kChipC));
    }
    void TearDown() override {
        if (!ledger.empty()) {
            sim.Remove(kChipC);
            ProgTest::TearDown();
        }
    }

    ProgResult Run(std::vector<std::wstring> args) {
        args.insert(args.begin() + (args[0] == L"ledger" ? 2 : 1), {L"--ledger", ledger});
        return RunProg(args);
    }
    std::vector<std::wstring> Station(const wchar_t* name, const char* port, const wchar_t* count) {
        return {L"batch", L"--ledger", ledger,     L"--sequence", sequence, L"--station",
                name,     L"--ports",  Wide(port), L"--count",    count};
    }
    // A new blank board in the socket.
    void PlugNew(const char* port) {
        ASSERT_TRUE(sim.Remove(port));
        ASSERT_TRUE(sim.Fill(port, 0xFF));
        // Out of the socket for as long as a hand takes: a port gone and back between two looks
        // at the port map is the same board to the station, as it would be on a real bench.
        Sleep(1000);
        ASSERT_TRUE(sim.Restore(port));
    }
    // The board's turn is over once it holds a serial and the station has let go of the port.
    void WaitProgrammed(const char* port) {
        for (int waited = 0; waited < 200; waited++) {
            std::vector<uint8_t> memory = sim.Memory(port);
            if (memory.size() > 0x10 && memory[0x10] == 'L' && sim.State(port).openHandles == 0) {
                return;
            }
            Sleep(50);
        }
        FAIL() << port << " was not programmed";
    }
    std::string SerialOn(const char* port) {
        std::vector<uint8_t> memory = sim.Memory(port);
        return std::string(memory.begin() + 0x10, memory.begin() + 0x18);
    }
    // The export's records as {station, port, serial, outcome, product}. A status may hold a
    // comma ("already holds LN000002, verified"): quoted fields are read as CSV quotes them.
    std::vector<std::map<std::string, std::string>> Export() {
        ProgResult exported = Run({L"ledger", L"export", L"--sequence", sequence});
        EXPECT_EQ(exported.exitCode, 0u) << exported.err;
        std::vector<std::map<std::string, std::string>> records;
        std::vector<std::string> lines = Lines(exported.out);
        for (size_t i = 1; i < lines.size(); i++) {
            std::vector<std::string> fields(1);
            bool quoted = false;
            const std::string& line = lines[i];
            for (size_t at = 0; at < line.size(); at++) {
                const char c = line[at];
                if (c == '"' && quoted && at + 1 < line.size() && line[at + 1] == '"') {
                    fields.back().push_back('"');
                    at++;
                } else if (c == '"') {
                    quoted = !quoted;
                } else if (c == ',' && !quoted) {
                    fields.emplace_back();
                } else {
                    fields.back().push_back(c);
                }
            }
            if (fields.size() != 10) {
                ADD_FAILURE() << "not a record of the export: " << lines[i];
                continue;
            }
            records.push_back({{"port", fields[1]},
                               {"serial", fields[2]},
                               {"product", fields[5]},
                               {"outcome", fields[7]},
                               {"station", fields[9]}});
        }
        return records;
    }

    std::wstring ledger;
    wchar_t pid[8] = {};
    std::wstring sequence;
};

TEST_P(Line, ThreeStationsOnOneSequenceNeverShareASerial) {
    for (const char* port : {kChipA, kChipB, kChipC}) {
        ASSERT_TRUE(sim.Remove(port));
    }
    ChipsReady();
    ProgProcess a(Station(L"st-a", kChipA, L"2"));
    ProgProcess b(Station(L"st-b", kChipB, L"2"));
    ProgProcess c(Station(L"st-c", kChipC, L"2"));
    Sleep(500);
    // Boards one after another, then all together.
    ASSERT_TRUE(sim.Restore(kChipA));
    WaitProgrammed(kChipA);
    ASSERT_TRUE(sim.Restore(kChipB));
    ASSERT_TRUE(sim.Restore(kChipC));
    WaitProgrammed(kChipB);
    WaitProgrammed(kChipC);
    std::set<std::string> firstBoards = {SerialOn(kChipA), SerialOn(kChipB), SerialOn(kChipC)};
    for (const char* port : {kChipA, kChipB, kChipC}) {
        PlugNew(port);
    }
    for (ProgProcess* station : {&a, &b, &c}) {
        ProgResult result = station->Wait();
        EXPECT_EQ(result.exitCode, 0u) << result.err;
    }

    std::set<std::string> started;
    std::map<std::string, std::string> verifiedOn;  // port -> the last serial verified there
    for (auto& record : Export()) {
        EXPECT_EQ(record["product"], kProduct) << "stored and exported exactly";
        if (record["outcome"] == "started") {
            EXPECT_TRUE(started.insert(record["serial"]).second) << record["serial"] << " twice";
        }
        if (record["outcome"] == "verified") {
            verifiedOn[record["port"]] = record["serial"];
        }
        EXPECT_EQ(record["station"], record["port"] == "COM21"   ? "st-a"
                                     : record["port"] == "COM22" ? "st-b"
                                                                 : "st-c");
    }
    EXPECT_EQ(started.size(), 6u);
    EXPECT_EQ(firstBoards.size(), 3u);
    for (const char* port : {kChipA, kChipB, kChipC}) {
        EXPECT_EQ(SerialOn(port), verifiedOn[port]) << "the chip holds the serial on record";
    }
    ProgResult report = Run({L"ledger", L"report", L"--sequence", sequence, L"--json"});
    nlohmann::json counts = Json(report);
    EXPECT_EQ(counts["serialsUsed"], 6);
    EXPECT_EQ(counts["records"]["verified"], 6);
    EXPECT_EQ(counts["stations"]["st-b"]["verified"], 2);
    EXPECT_TRUE(counts["withoutVerified"].empty());
}

// An audit against the line's sequence, by a station of its own: read frames only, and its
// verdict recorded for the serial with the station and the field that differs.
TEST_P(Line, AnAuditRecordsItsVerdictForTheSerialWithItsStation) {
    ChipsReady();
    ProgResult programmed = RunProg(Station(L"st-a", kChipA, L"1"));
    ASSERT_EQ(programmed.exitCode, 0u) << programmed.err;
    std::string serial = SerialOn(kChipA);
    std::vector<std::wstring> audit = {L"audit",      L"--port", L"COM21",     L"--ledger", ledger,
                                       L"--sequence", sequence,  L"--station", L"st-q"};
    size_t writes = Frames(kChipA, ZQSIM_LOG_WRITE);
    ProgResult same = RunProg(audit);
    EXPECT_EQ(same.exitCode, 0u) << same.out << same.err;
    EXPECT_NE(same.out.find("matches " + serial + ", verified at st-a"), std::string::npos)
        << same.out;
    // The product's first character, 'Q', becomes 'R'.
    std::vector<uint8_t> memory = sim.Memory(kChipA);
    auto at = std::find(memory.begin() + 0x18, memory.end(), 'Q');
    ASSERT_NE(at, memory.end());
    ASSERT_TRUE(sim.SetMemory(kChipA, static_cast<unsigned>(at - memory.begin()), {'R'}));
    ProgResult changed = RunProg(audit);
    EXPECT_EQ(changed.exitCode, 7u) << changed.out << changed.err;
    EXPECT_EQ(Frames(kChipA, ZQSIM_LOG_WRITE), writes) << "an audit wrote";

    ProgResult exported = Run({L"ledger", L"export", L"--sequence", sequence});
    ASSERT_EQ(exported.exitCode, 0u) << exported.err;
    std::vector<std::string> audits;
    for (const std::string& line : Lines(exported.out)) {
        if (line.find(",audit") != std::string::npos) {
            audits.push_back(line);
        }
    }
    ASSERT_EQ(audits.size(), 2u) << exported.out;
    EXPECT_NE(audits[0].find(serial), std::string::npos) << audits[0];
    EXPECT_NE(audits[0].find(",audited,"), std::string::npos) << audits[0];
    EXPECT_EQ(audits[0].substr(audits[0].size() - 5), ",st-q");
    EXPECT_NE(audits[1].find(",audit-mismatch,\"product differs:"), std::string::npos) << audits[1];
    EXPECT_EQ(audits[1].substr(audits[1].size() - 5), ",st-q");
}

TEST_P(Line, AStationKilledMidWriteNeverWritesItsSerialAgain) {
    ASSERT_TRUE(sim.SetDelay(kChipA, 20000));  // about two seconds a write
    ChipsReady();
    {
        ProgProcess station(Station(L"st-a", kChipA, L"1"));
        for (int waited = 0; waited < 200 && Frames(kChipA, ZQSIM_LOG_WRITE) == 0; waited++) {
            Sleep(50);
        }
        station.Kill();
    }
    ASSERT_GT(Frames(kChipA, ZQSIM_LOG_WRITE), 0u);
    ASSERT_TRUE(sim.SetDelay(kChipA, 0));
    ProgResult again = RunProg(Station(L"st-a", kChipA, L"1"));
    EXPECT_EQ(again.exitCode, 0u) << again.err;
    EXPECT_EQ(SerialOn(kChipA), "LN000002");
    ProgResult report = Run({L"ledger", L"report", L"--sequence", sequence, L"--json"});
    EXPECT_EQ(Json(report)["withoutVerified"], nlohmann::json::array({"LN000001"}))
        << "the serial in flight stays used";
}

TEST_P(Line, ALineLabelsItsBoardsOnItsRecordAndAReprintIsRecordedWithItsStation) {
    ASSERT_TRUE(sim.Remove(kChipB));
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"zq61prog-line-labels";
    CreateDirectoryW(folder.c_str(), nullptr);
    DeleteFileW((folder + L"\\LN000001.zpl").c_str());
    DeleteFileW((folder + L"\\LN000001-2.zpl").c_str());
    ChipsReady();
    std::vector<std::wstring> args = Station(L"st-a", kChipA, L"1");
    args.insert(args.end(),
                {L"--label", L"" ZQ_DEFAULT_LABEL_W, L"--printer", L"folder:" + folder});
    ProgResult batch = RunProg(args);
    ASSERT_EQ(batch.exitCode, 0u) << batch.err;
    ProgResult reprint = Run({L"label", L"--sequence", sequence, L"--serial", L"LN000001",
                              L"--reason", L"smudged", L"--station", L"st-r", L"--label",
                              L"" ZQ_DEFAULT_LABEL_W, L"--printer", L"folder:" + folder});
    EXPECT_EQ(reprint.exitCode, 0u) << reprint.err;
    std::vector<std::string> history;
    for (auto& record : Export()) {
        history.push_back(record["outcome"] + " " + record["station"]);
    }
    EXPECT_EQ(history, (std::vector<std::string>{"started st-a", "verified st-a", "labelled st-a",
                                                 "label-reprinted st-r"}));
    for (const wchar_t* name : {L"\\LN000001.zpl", L"\\LN000001-2.zpl"}) {
        EXPECT_NE(ReadWhole(folder + name).find("^FDLN000001^FS"), std::string::npos);
    }
}

// A file of the test's own in the temporary folder, with the text given.
std::wstring TempFile(const wchar_t* name, const std::string& text) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

TEST_P(Line, AListIsTakenInImportOrderAndTheLedgerPreviewsTheRest) {
    sequence += L"-list";
    const std::wstring list =
        TempFile(L"zq61prog-line-list.csv", "serial\r\nLQ000007\r\nLQ000003\r\nLQ000005\r\n");
    ProgResult defined =
        Run({L"ledger", L"sequence", L"--name", sequence, L"--serial-list", list, L"--pid", pid});
    ASSERT_EQ(defined.exitCode, 0u) << defined.err;
    ChipsReady();
    ProgResult station = RunProg(Station(L"st-a", kChipA, L"1"));
    EXPECT_EQ(station.exitCode, 0u) << station.err;
    EXPECT_EQ(SerialOn(kChipA), "LQ000007");

    ProgResult preview = Run({L"serials", L"--sequence", sequence, L"--json"});
    EXPECT_EQ(preview.exitCode, 0u) << preview.err;
    EXPECT_EQ(
        Lines(preview.out),
        (std::vector<std::string>{
            R"({"serial":"LQ000003"})", R"({"serial":"LQ000005"})",
            R"({"capacity":"3 in the list","after":"LQ000007","stop":"the serials have run out: every serial of the list (3 in the list) is used"})"}));
    ProgResult twice = Run({L"ledger", L"import", L"--sequence", sequence, L"--file",
                            TempFile(L"zq61prog-line-more.csv", "LQ000009\nLQ000003\n")});
    EXPECT_EQ(twice.exitCode, 1u);
    EXPECT_NE(twice.err.find("(LQ000003): nothing was added"), std::string::npos) << twice.err;
}

// A line run from its job file: the sequence defined from it, the stations' lease in it. The file
// edited since is another job: refused before the ledger leases anything. The job as it was goes
// on with its journal.
TEST_P(Line, AJobsLeaseRunsItsSequenceAndAnEditedJobIsRefusedBeforeAnyLease) {
    sequence += L"-job";
    const std::string job = R"({"vid":"2E1B","pid":")" + std::string(pid, pid + wcslen(pid)) +
                            R"(","product":"Line Job","lock":false,"serial-from":"LJ000001",)";
    const std::wstring jobFile = TempFile(L"zq61prog-line-job.json", job + R"("lease":4})");
    ProgResult defined = Run({L"ledger", L"sequence", L"--name", sequence, L"--job", jobFile});
    ASSERT_EQ(defined.exitCode, 0u) << defined.err;
    const std::wstring journal = TempFile(L"zq61prog-line-job.journal", "");
    DeleteFileW(journal.c_str());
    std::vector<std::wstring> batch = Station(L"st-j", kChipA, L"1");
    batch.insert(batch.end(), {L"--job", jobFile, L"--journal", journal});
    ChipsReady();
    ProgResult ran = RunProg(batch);
    EXPECT_EQ(ran.exitCode, 0u) << ran.err;
    EXPECT_EQ(SerialOn(kChipA), "LJ000001");
    EXPECT_NE(ran.err.find(", station st-j, job "), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find(", leases of 4, the journal "), std::string::npos) << ran.err;

    TempFile(L"zq61prog-line-job.json", job + R"("lease":8})");
    ProgResult edited = RunProg(batch);
    EXPECT_EQ(edited.exitCode, 1u);
    EXPECT_NE(edited.err.find("the job file, its list or its template has changed since"),
              std::string::npos)
        << edited.err;
    // The job as it was: the station goes on with its journal and its lease.
    TempFile(L"zq61prog-line-job.json", job + R"("lease":4})");
    PlugNew(kChipA);
    ProgResult again = RunProg(batch);
    EXPECT_EQ(again.exitCode, 0u) << again.err;
    EXPECT_EQ(SerialOn(kChipA), "LJ000002");
    ProgResult leases =
        RunProg({L"ledger", L"lease", L"list", L"--ledger", ledger, L"--sequence", sequence});
    EXPECT_NE(leases.out.find("station st-j: leased 4, used 2, unused 2"), std::string::npos)
        << leases.out << leases.err;
    DeleteFileW(journal.c_str());
}

TEST_P(Line, AWrongPasswordExitsSixNamingNoPasswordAndOpensNothing) {
    std::wstring wrong = ledger;
    size_t at = wrong.find(L"Pwd=");
    ASSERT_NE(at, std::wstring::npos);
    wrong = wrong.substr(0, at) + L"Pwd=Wr0ngSecret;";
    ChipsReady();
    ProgResult result = RunProg({L"batch", L"--ledger", wrong, L"--sequence", sequence});
    EXPECT_EQ(result.exitCode, 6u) << result.err;
    EXPECT_EQ((result.out + result.err).find("Wr0ngSecret"), std::string::npos) << result.err;
    EXPECT_EQ(Opens(), 0u);
}

// A station PC holds only a station's login: the owner grants it, and its batch and audit run
// as the owner's would, without the warning the owner's login gets. An auditor's login takes no
// serial: its batch stops before any port is opened.
TEST_P(Line, AStationLoginRunsABatchAndAnAuditAndAnAuditorsBatchOpensNothing) {
    std::map<std::string, std::wstring> logins;
    for (const char* role : {"station", "auditor"}) {
        const char* login = std::getenv(
            (std::string(GetParam()) + "_" + (role[0] == 's' ? "STATION" : "AUDITOR")).c_str());
        if (login == nullptr) {
            GTEST_SKIP() << "no " << role << " login: start the servers with db-servers.sh";
        }
        logins[role] = Wide(login);
        ProgResult granted = Run({L"ledger", L"grant", Wide(role), L"zq_" + Wide(role)});
        ASSERT_EQ(granted.exitCode, 0u) << granted.err;
    }
    ChipsReady();
    ProgResult auditor = RunProg({L"batch", L"--ledger", logins["auditor"], L"--sequence", sequence,
                                  L"--ports", Wide(kChipA)});
    EXPECT_EQ(auditor.exitCode, 6u) << auditor.err;
    EXPECT_NE(auditor.err.find("cannot take serials"), std::string::npos) << auditor.err;
    EXPECT_EQ(Opens(), 0u);

    std::vector<std::wstring> batch = Station(L"st-a", kChipA, L"1");
    batch[2] = logins["station"];
    ProgResult station = RunProg(batch);
    ASSERT_EQ(station.exitCode, 0u) << station.err;
    EXPECT_EQ(station.err.find("warning"), std::string::npos) << station.err;
    ProgResult audit = RunProg({L"audit", L"--port", Wide(kChipA), L"--ledger", logins["station"],
                                L"--sequence", sequence, L"--station", L"st-q"});
    EXPECT_EQ(audit.exitCode, 0u) << audit.out << audit.err;
    EXPECT_NE(audit.out.find("matches " + SerialOn(kChipA)), std::string::npos) << audit.out;
}

// A sequence's row is checked as the options are when a batch starts on it: one edited by hand
// stops the batch with exit 6 before any port is opened.
TEST_P(Line, ARowEditedByHandStopsTheBatchBeforeAnyPort) {
    odbc::Session owner;
    ASSERT_TRUE(owner.Connect(std::getenv(GetParam()), 5));
    ASSERT_TRUE(owner.Run("UPDATE zq_sequences SET vid = 'FFFF' WHERE name = ?",
                          {std::string(sequence.begin(), sequence.end())}));
    ASSERT_TRUE(owner.Commit());
    ChipsReady();
    ProgResult batch = RunProg(Station(L"st-a", kChipA, L"1"));
    EXPECT_EQ(batch.exitCode, 6u) << batch.err;
    EXPECT_NE(batch.err.find("VID"), std::string::npos) << batch.err;
    EXPECT_EQ(Opens(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Servers, Line, testing::Values("ZQ_TEST_PG", "ZQ_TEST_MARIADB"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "ZQ_TEST_PG" ? "PostgreSQL"
                                                                            : "MariaDB";
                         });

}  // namespace
