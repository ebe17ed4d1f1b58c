// zq61prog write against the simulated chips: the chip image, every refusal, the port choice,
// the lock, a locked chip and a chip that goes mute.
#include "prog_harness.h"

namespace {

using Write = ProgTest;

TEST_F(Write, StoresExactlyTheIdentityAndVerifiesIt) {
    ProgResult result =
        RunProg({L"write", L"--port", L"COM21", L"--vid", L"0x0a5c", L"--pid", L"BEEF", L"--serial",
                 L"ZQ000001", L"--product", L"Bench 1", L"--json"});
    EXPECT_EQ(result.exitCode, 0u) << result.out << result.err;
    EXPECT_EQ(Json(result), (nlohmann::json{{"port", "COM21"},
                                            {"outcome", "verified"},
                                            {"status", "写入成功"},
                                            {"vid", "0A5C"},
                                            {"pid", "BEEF"},
                                            {"serial", "ZQ000001"},
                                            {"product", "Bench 1"},
                                            {"lock", false}}));
    EXPECT_EQ(sim.Memory(kChipA), IdentityImage(0x0A5C, 0xBEEF, "ZQ000001", u"Bench 1"));
    EXPECT_EQ(Frames(kChipA, ZQSIM_LOG_WRITE), 51u);
    EXPECT_EQ(Frames(kChipB, ZQSIM_LOG_WRITE) + Frames(kChipB, ZQSIM_LOG_READ), 0u);
}

TEST_F(Write, DefaultsAreTheDialogsAndTheOnlyChipIsUsed) {
    ASSERT_TRUE(sim.Remove(kChipB));
    ProgResult result = RunProg({L"write"});
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(Lines(result.out)[0], "COM21: verified - 写入成功");
    std::vector<uint8_t> image = IdentityImage(0x2E1B, 0x6C04, "", u"usb2.0 serial");
    EXPECT_EQ(sim.Memory(kChipA), image) << "no serial: zeros";
}

TEST_F(Write, EveryBadValueIsRefusedInOneLineWithNothingOpened) {
    const std::vector<std::vector<std::wstring>> refused = {
        {L"--vid", L"12G4"},
        {L"--vid", L"0"},
        {L"--vid", L"FFFF"},
        {L"--vid", L"12345"},
        {L"--pid", L"0x"},
        {L"--pid", L"0000"},
        {L"--serial", L""},
        {L"--serial", L"AB CD"},
        {L"--serial", L"123456789"},
        {L"--serial", L"é"},
        {L"--product", L""},
        {L"--port", L"COM 1"},
        {L"--product", L"1234567890123456789"},
        {L"--bogus", L"1"},
        {L"--product", L"😀😀😀😀😀😀😀😀😀x"},  // 19 code units
    };
    ChipsReady();
    for (const std::vector<std::wstring>& option : refused) {
        std::vector<std::wstring> args = {L"write", L"--port", L"COM21"};
        args.insert(args.end(), option.begin(), option.end());
        ProgResult result = RunProg(args);
        std::string name(option[0].begin(), option[0].end());
        EXPECT_EQ(result.exitCode, 1u) << name;
        EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
        EXPECT_NE(result.err.find(name), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(Opens(), 0u) << "a refusal opened a port";
}

TEST_F(Write, WithoutPortTwoChipsOrNoneStopWithTheirNames) {
    ProgResult two = RunProg({L"write"});
    EXPECT_EQ(two.exitCode, 2u);
    EXPECT_NE(two.err.find("COM21, COM22"), std::string::npos) << two.err;
    ASSERT_TRUE(sim.Remove(kChipA));
    ASSERT_TRUE(sim.Remove(kChipB));
    ProgResult none = RunProg({L"write", L"--json"});
    EXPECT_EQ(none.exitCode, 2u);
    EXPECT_EQ(Json(none)["outcome"], "error");
    EXPECT_EQ(Frames(kChipA, ZQSIM_LOG_WRITE) + Frames(kChipB, ZQSIM_LOG_WRITE), 0u);
}

TEST_F(Write, AForeignOrHeldPortGetsNoFrame) {
    ProgResult foreign = RunProg({L"write", L"--port", L"COM23"});
    EXPECT_EQ(foreign.exitCode, 2u);
    EXPECT_NE(foreign.err.find("not a chip port"), std::string::npos) << foreign.err;
    ASSERT_TRUE(sim.Hold(kChipA));
    ProgResult held = RunProg({L"write", L"--port", L"COM21"});
    EXPECT_EQ(held.exitCode, 2u);
    EXPECT_TRUE(sim.Release(kChipA));
    EXPECT_EQ(Frames(kChipA, ZQSIM_LOG_WRITE), 0u);
}

TEST_F(Write, TheLockNeedsAYesAndThenGoesLastAndVerifies) {
    ProgResult refused = RunProg({L"write", L"--port", L"COM21", L"--lock"});
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_NE(refused.err.find("--yes"), std::string::npos) << refused.err;
    EXPECT_EQ(Opens(), 0u);

    LockConfirmed();
    ProgResult locked = RunProg({L"write", L"--port", L"COM21", L"--lock", L"--yes", L"--json"});
    EXPECT_EQ(locked.exitCode, 0u) << locked.out;
    EXPECT_EQ(Json(locked)["lock"], true);
    std::vector<ZqSimLogEntry> log = sim.Log(kChipA);
    ASSERT_EQ(log.size(), 52u + 52u);
    EXPECT_EQ(log[51].address, 0x03);
    EXPECT_EQ(log[51].value, 0x57);
    EXPECT_EQ(sim.Memory(kChipA), IdentityImage(0x2E1B, 0x6C04, "", u"usb2.0 serial", true));
}

TEST_F(Write, ALockedChipExits5AndKeepsItsMemory) {
    std::vector<uint8_t> image = IdentityImage(0x1111, 0x2222, "OLD00001", u"Old", true);
    ASSERT_TRUE(sim.SetMemory(kChipA, 0, image));
    ChipsReady();
    ProgResult result = RunProg({L"write", L"--port", L"COM21", L"--serial", L"NEW00001"});
    EXPECT_EQ(result.exitCode, 5u);
    EXPECT_EQ(Lines(result.out)[0], "COM21: locked - 芯片已开启写保护，写入失败");
    EXPECT_EQ(sim.Memory(kChipA), image);
}

TEST_F(Write, AChipGoingMuteFailsOrLeavesTheWriteUnverified) {
    ASSERT_TRUE(sim.MuteAfter(kChipA, 20));
    ProgResult failed = RunProg({L"write", L"--port", L"COM21", L"--json"});
    EXPECT_EQ(failed.exitCode, 3u);
    EXPECT_EQ(Json(failed)["outcome"], "failed");
    EXPECT_EQ(Json(failed)["status"], "写入失败请重试");

    ASSERT_TRUE(sim.Reset(kChipA));
    ASSERT_TRUE(sim.MuteAfter(kChipA, 51));
    ProgResult unverified = RunProg({L"write", L"--port", L"COM21", L"--json"});
    EXPECT_EQ(unverified.exitCode, 4u);
    EXPECT_EQ(Json(unverified)["outcome"], "unverified");
}

TEST_F(Write, ANonAsciiProductGoesThroughTheCommandLineAndBack) {
    const wchar_t* product = L"测试板 Ω😀";
    ProgResult written = RunProg({L"write", L"--port", L"COM22", L"--product", product});
    EXPECT_EQ(written.exitCode, 0u) << written.err;
    EXPECT_EQ(sim.Memory(kChipB), IdentityImage(0x2E1B, 0x6C04, "", u"测试板 Ω😀"));
    ProgResult read = RunProg({L"read", L"--port", L"COM22", L"--json"});
    EXPECT_EQ(Json(read)["product"], "测试板 Ω😀");
}

}  // namespace
