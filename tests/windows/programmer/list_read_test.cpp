// zq61prog list and read against the simulated chips, in text and in JSON.
#include "prog_harness.h"

namespace {

using ListAndRead = ProgTest;

TEST_F(ListAndRead, ListNamesEveryChipPortInMapOrderAndNoForeignOne) {
    ProgResult text = RunProg({L"list"});
    EXPECT_EQ(text.exitCode, 0u) << text.err;
    EXPECT_EQ(Lines(text.out), (std::vector<std::string>{"COM21  5A515523", "COM22  5A515512"}));

    ProgResult json = RunProg({L"list", L"--json"});
    ASSERT_EQ(Lines(json.out).size(), 2u) << json.out;
    nlohmann::json first = nlohmann::json::parse(Lines(json.out)[0]);
    EXPECT_EQ(first, (nlohmann::json{{"port", "COM21"}, {"signature", "5A515523"}}));
    EXPECT_EQ(nlohmann::json::parse(Lines(json.out)[1])["signature"], "5A515512");
}

TEST_F(ListAndRead, ListWithNoChipPortSaysSoAndExits2) {
    ASSERT_TRUE(sim.Remove(kChipA));
    ASSERT_TRUE(sim.Remove(kChipB));
    ProgResult result = RunProg({L"list"});
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("no chip port"), std::string::npos) << result.err;
}

TEST_F(ListAndRead, AnUnknownCommandIsNamedWithTheCommandsThereAre) {
    ProgResult top = RunProg({L"erase"});
    EXPECT_EQ(top.exitCode, 1u);
    EXPECT_NE(top.err.find("zq61prog: unknown command \"erase\"; the commands are list, read, "
                           "write, batch, serials, capture, audit, ledger"),
              std::string::npos)
        << top.err;
    ProgResult ledger = RunProg({L"ledger", L"summary", L"--sequence", L"line1"});
    EXPECT_EQ(ledger.exitCode, 1u);
    EXPECT_NE(ledger.err.find("ledger: unknown command \"summary\"; the commands are init, grant, "
                              "sequence, import, report, export"),
              std::string::npos)
        << ledger.err;
    EXPECT_EQ(Opens(), 0u);
}

TEST_F(ListAndRead, ReadShowsEveryFieldAndTheBytesInReadOrder) {
    ASSERT_TRUE(sim.SetMemory(kChipB, 0, IdentityImage(0x0A5C, 0xBEEF, "ZQ000042", u"Bench")));
    ChipsReady();
    ProgResult text = RunProg({L"read", L"--port", L"COM22"});
    EXPECT_EQ(text.exitCode, 0u) << text.err;
    std::vector<std::string> lines = Lines(text.out);
    ASSERT_EQ(lines.size(), 8u) << text.out;
    EXPECT_EQ(lines[0], "COM22: 读取成功");
    EXPECT_EQ(lines[1], "  marker   configured");
    EXPECT_EQ(lines[2], "  lock     not locked");
    EXPECT_EQ(lines[3], "  VID      0A5C");
    EXPECT_EQ(lines[4], "  PID      BEEF");
    EXPECT_EQ(lines[5], "  serial   ZQ000042");
    EXPECT_EQ(lines[6], "  product  \"Bench\"");
    EXPECT_EQ(lines[7].substr(0, 35), "  bytes    5B FF 5C 0A EF BE 5A 51 ") << "marker, lock, IDs";

    ProgResult json = RunProg({L"read", L"--port", L"COM22", L"--json"});
    nlohmann::json read = Json(json);
    EXPECT_EQ(read["port"], "COM22");
    EXPECT_EQ(read["outcome"], "read");
    EXPECT_EQ(read["status"], "读取成功");
    EXPECT_EQ(read["configured"], true);
    EXPECT_EQ(read["locked"], false);
    EXPECT_EQ(read["vid"], "0A5C");
    EXPECT_EQ(read["pid"], "BEEF");
    EXPECT_EQ(read["serial"], "ZQ000042");
    EXPECT_EQ(read["product"], "Bench");
    // Marker, lock, the four ID bytes, the serial, then the whole descriptor: 52 bytes.
    std::string bytes = read["bytes"];
    EXPECT_EQ(bytes.size(), 104u);
    EXPECT_EQ(bytes.substr(0, 28), "5BFF5C0AEFBE5A51303030303432");
    EXPECT_EQ(bytes.substr(28, 16), "0C03420065006E00") << "length 12, type 3, \"Be\"";
    EXPECT_EQ(Frames(kChipB, ZQSIM_LOG_READ), 104u) << "two reads of 52 frames";
}

TEST_F(ListAndRead, ReadOfAnErasedChipSaysEachFieldIsAbsent) {
    ProgResult json = RunProg({L"read", L"--port", L"COM21", L"--json"});
    nlohmann::json read = Json(json);
    EXPECT_EQ(read["configured"], false);
    EXPECT_EQ(read["vid"], "FFFF");
    EXPECT_TRUE(read["serial"].is_null());
    EXPECT_TRUE(read["product"].is_null());
    EXPECT_EQ(read["bytes"], std::string(104, 'F'));
}

TEST_F(ListAndRead, AFailedReadGivesOnlyPortOutcomeAndStatus) {
    ASSERT_TRUE(sim.MuteAfter(kChipA, 10));
    ProgResult json = RunProg({L"read", L"--json"});
    // Two chips and no --port: nothing is read.
    EXPECT_EQ(json.exitCode, 2u);
    EXPECT_NE(Json(json)["error"].get<std::string>().find("COM21, COM22"), std::string::npos);

    ProgResult failed = RunProg({L"read", L"--port", L"COM21", L"--json"});
    EXPECT_EQ(failed.exitCode, 3u);
    EXPECT_EQ(Json(failed),
              (nlohmann::json{
                  {"port", "COM21"}, {"outcome", "read-failed"}, {"status", "读取失败请重试"}}));
}

}  // namespace
