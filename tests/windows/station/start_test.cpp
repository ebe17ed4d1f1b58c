// How a station starts: with a batch's options from a shortcut, or from its set-up form; the
// same refusals as zq61prog batch; the lock asked once, before any frame.
#include "station_harness.h"

namespace {

using Start = StationTest;

std::string Joined(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) {
        line += (line.empty() ? "\"" : " \"") + arg + "\"";
    }
    return line;
}

// The arguments, all ASCII here, as the wide command line zq61prog is given.
std::vector<std::wstring> WideAsciiArgs(const std::vector<std::string>& args) {
    std::vector<std::wstring> wide;
    for (const std::string& arg : args) {
        wide.emplace_back(arg.begin(), arg.end());
    }
    return wide;
}

TEST_F(Start, ABadOptionShowsTheRefusalZq61progGives) {
    ChipsReady();
    const std::vector<std::vector<std::string>> cases = {
        {"--serial-from", "ZQ000001", "--log", logPath, "--vid", "12G4"},
        {"--serial-from", "ZQ", "--log", logPath},
        {"--log", logPath},
        {"--serial-from", "ZQ000001", "--log", "Z:\\no\\such\\folder\\log.csv"},
    };
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(Joined(args));
        unsigned long progExit = 0;
        std::string expected = ProgRefusal(WideAsciiArgs(args), progExit);
        ASSERT_FALSE(expected.empty());
        StationRun station(Joined(args));
        HWND box = station.WaitForDialog(nullptr);
        ASSERT_NE(box, nullptr) << "no refusal";
        EXPECT_EQ(Utf8(MessageBoxText(box)), expected);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(station.WaitForExit(), progExit);
    }
    for (const char* port : kDefaultPorts) {
        EXPECT_EQ(sim.State(port).opensTotal, 0u) << port << ": nothing is opened";
    }
}

// The language is an option like any other: a value it does not know is refused before
// anything is opened, and the form's start (no other option) checks it too.
TEST_F(Start, ALanguageNamedNeitherWayIsRefused) {
    ChipsReady();
    for (const char* args : {"--lang fr", "--serial-from ZQ000001 --lang=zh"}) {
        SCOPED_TRACE(args);
        StationRun station(args, true);
        HWND box = station.WaitForDialog(nullptr);
        ASSERT_NE(box, nullptr) << "no refusal";
        std::string text = Utf8(MessageBoxText(box));
        EXPECT_EQ(text.rfind("--lang: \"", 0), 0u) << text;
        EXPECT_NE(text.find("zh-CN or en"), std::string::npos) << text;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(station.WaitForExit(), 1u);
    }
}

TEST_F(Start, TheLockIsAskedOnceBeforeAnyFrame) {
    ASSERT_TRUE(sim.Remove(kChipB));
    ChipsReady();
    {
        StationRun refused(Args("ZQ000001", 1) + " --lock");
        HWND question = refused.WaitForDialog(nullptr);
        ASSERT_NE(question, nullptr);
        PostMessageW(question, WM_COMMAND, IDNO, 0);
        HWND refusal = refused.WaitForDialog(question);
        ASSERT_NE(refusal, nullptr);
        EXPECT_EQ(Utf8(MessageBoxText(refusal)), "--lock: not confirmed; nothing written");
        PostMessageW(refusal, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(refused.WaitForExit(), 1u);
    }
    StationRun station(Args("ZQ000001", 1) + " --lock");
    HWND question = station.WaitForDialog(nullptr);
    ASSERT_NE(question, nullptr);
    std::string text = Utf8(MessageBoxText(question));
    EXPECT_NE(text.find("VID 2E1B, PID 6C04, serials from ZQ000001, product \"usb2.0 serial\""),
              std::string::npos)
        << text;
    Sleep(500);
    EXPECT_EQ(sim.Log(kChipA).size(), 0u) << "a frame went out before the answer";
    safety.LockConfirmed();
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(station.WaitForTile(kChipA, L"PASS"));
    EXPECT_EQ(sim.Memory(kChipA)[0x03], 0x57) << "locked";
    EXPECT_EQ(station.Close(), 0u);
}

TEST_F(Start, TheSetUpFormChecksItsValuesAsTheCommandLineIsChecked) {
    ASSERT_TRUE(sim.Remove(kChipB));
    StationRun station("");
    HWND form = station.WaitForDialog(nullptr);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(form, IDC_SETUP_VID)), L"2E1B") << "the options' defaults";
    SetText(GetDlgItem(form, IDC_SETUP_SERIAL_FROM), "ZQ");
    SetText(GetDlgItem(form, IDC_SETUP_LOG), logPath.c_str());
    SetText(GetDlgItem(form, IDC_SETUP_COUNT), "1");
    PostClick(GetDlgItem(form, IDOK));
    HWND refusal = station.WaitForDialog(form);
    ASSERT_NE(refusal, nullptr);
    unsigned long progExit = 0;
    EXPECT_EQ(Utf8(MessageBoxText(refusal)),
              ProgRefusal({L"--serial-from", L"ZQ", L"--log", L"x.csv"}, progExit));
    PostMessageW(refusal, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(refusal); }, 5000));
    EXPECT_EQ(TextOf(GetDlgItem(form, IDC_SETUP_LOG)), std::wstring(logPath.begin(), logPath.end()))
        << "the form keeps what was typed";
    // A format instead: the form hands it to the same parser, at its UTC offset.
    SetText(GetDlgItem(form, IDC_SETUP_SERIAL_FROM), "");
    SetText(GetDlgItem(form, IDC_SETUP_SERIAL_FORMAT), "SN{YY}{N:4}");
    SetText(GetDlgItem(form, IDC_SETUP_UTC_OFFSET), "+00:00");
    PostClick(GetDlgItem(form, IDOK));
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(station.WaitForTile(kChipA, L"PASS"));
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    EXPECT_EQ(station.TileText(kChipA, IDC_TILE_MAIN),
              L"SN" + std::to_wstring(now.wYear % 100) + L"0001");
    EXPECT_EQ(station.Close(), 0u);
}

}  // namespace
