// The dialog while a job runs: the actions are off and a click starts nothing, and every way of
// closing waits for the job, which ends by closing its port.
#include <gtest/gtest.h>

#include "e2e_harness.h"
#include "remote_controls.h"
#include "resource.h"

namespace {

// A read of a mute chip: its first frame waits out the read time-out, about 1.1 s.
class Busy : public ChipTest {
protected:
    void StartLongRead() {
        ASSERT_TRUE(sim.MuteAfter(kChipA, 0));
        ChipsReady();
        StartApp();
        // Sent: when it returns, the job has the port and the actions are off.
        ASSERT_TRUE(SendClick(Control(IDC_READ_CONFIG))) << "a box instead of a job";
        jobStart = GetTickCount();
        ASSERT_EQ(sim.State(kChipA).openHandles, 1u) << "no job is running";
    }

    // The read's time-out keeps the job running for at least 1.1 s from its start. Until shortly
    // before that, the dialog must still be there; false when it went away. Checked only as long
    // as this process keeps up, so a slow host cannot fail it.
    bool DialogStaysWhileTheJobMustRun() {
        const DWORD watch = 800;
        DWORD elapsed = GetTickCount() - jobStart;
        if (elapsed >= watch) {
            return true;
        }
        return !WaitUntil([&] { return !IsWindow(app.Dialog()); }, watch - elapsed);
    }

    DWORD jobStart = 0;
};

TEST_F(Busy, ActionsAreOffDuringAJobAndComeBackAfterIt) {
    StartLongRead();
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_READ_CONFIG)));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_WRITE_CONFIG)));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_PORT)));
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_RESTORE_DEFAULTS))) << "only the actions are off";
    EXPECT_EQ(Status(), L"");

    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(Status(), L"读取失败请重试");
    EXPECT_TRUE(ActionsEnabled());
    EXPECT_EQ(sim.State(kChipA).openHandles, 0u);
}

TEST_F(Busy, ClicksDuringAJobStartNothing) {
    StartLongRead();
    unsigned opensA = sim.State(kChipA).opensTotal;
    unsigned opensB = sim.State(kChipB).opensTotal;
    // Another chip selected under the job, so a second action would have a port to open.
    SelectPort(Control(IDC_PORT), 1);
    EXPECT_TRUE(SendClick(Control(IDC_WRITE_CONFIG)));
    EXPECT_TRUE(SendClick(Control(IDC_READ_CONFIG)));

    EXPECT_EQ(app.WaitForOtherDialog(300), nullptr) << "not even a message box";
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(Status(), L"读取失败请重试");
    EXPECT_EQ(sim.State(kChipA).opensTotal, opensA);
    EXPECT_EQ(sim.State(kChipB).opensTotal, opensB);
    EXPECT_EQ(sim.Log(kChipA).size(), 1u) << "only the running read's frame";
    EXPECT_TRUE(sim.Log(kChipB).empty());
}

TEST_F(Busy, WriteJobTurnsTheActionsOffToo) {
    ASSERT_TRUE(sim.MuteAfter(kChipA, 51));  // the read-back waits out its time-out
    ChipsReady();
    StartApp();
    ASSERT_TRUE(SendClick(Control(IDC_WRITE_CONFIG)));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_READ_CONFIG)));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_WRITE_CONFIG)));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_PORT)));
    EXPECT_TRUE(SendClick(Control(IDC_READ_CONFIG)));
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(Status(), L"写入成功但未校验，建议重新读取看是否写入成功");
    EXPECT_EQ(sim.Log(kChipA).size(), 52u) << "the click during the job sent nothing";
}

// A write waiting for its lock question has not opened the port yet, but it has started: a
// click arriving meanwhile must not start a job that the answer would then run beside.
TEST_F(Busy, ClickWhileTheLockQuestionIsOpenStartsNothing) {
    ChipsReady();
    StartApp();
    Click(Control(IDC_WRITE_PROTECT));
    unsigned opensBefore = sim.State(kChipA).opensTotal;
    PostClick(Control(IDC_WRITE_CONFIG));
    HWND box = app.WaitForOtherDialog(5000);
    ASSERT_NE(box, nullptr);

    EXPECT_TRUE(SendClick(Control(IDC_READ_CONFIG)));
    EXPECT_EQ(sim.State(kChipA).opensTotal, opensBefore) << "a read started under the question";

    AnswerLockQuestion(false);
    // Bounded: a read started under the question would end within a job's time.
    WaitUntil([&] { return sim.State(kChipA).openHandles == 0; }, kJobTimeoutMs);
    EXPECT_TRUE(sim.Log(kChipA).empty());
    EXPECT_EQ(Status(), L"");
}

TEST_F(Busy, WriteClickWhileTheIdQuestionIsOpenStartsNothing) {
    ChipsReady();
    StartApp();
    SetText(Control(IDC_VID), "12G4");
    PostClick(Control(IDC_WRITE_CONFIG));
    HWND box = app.WaitForOtherDialog(5000);
    ASSERT_NE(box, nullptr);
    unsigned opensBefore = sim.State(kChipA).opensTotal;

    // A second write of a valid form, clicked under the first one's question.
    SetText(Control(IDC_VID), "1234");
    EXPECT_TRUE(SendClick(Control(IDC_WRITE_CONFIG)));
    EXPECT_EQ(sim.State(kChipA).opensTotal, opensBefore) << "a write started under the question";

    // Yes goes on with the write the question was about.
    Answer(box, IDYES);
    EXPECT_TRUE(WaitUntil([&] { return !Status().empty() && ActionsEnabled(); }, kJobTimeoutMs));
    EXPECT_EQ(app.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(Status(), L"写入成功");
    std::vector<uint8_t> memory = sim.Memory(kChipA);
    ASSERT_EQ(memory.size(), static_cast<size_t>(ZQSIM_MEMORY_SIZE));
    EXPECT_EQ(memory[0x05], 0x12);
    EXPECT_EQ(memory[0x04], 0x00) << "the confirmed record, not the later click's";
}

// A program that ends the dialog while the lock question is open: the end waits for the answer,
// and a dialog told to end writes nothing, even after a Yes.
TEST_F(Busy, CloseWhileTheLockQuestionIsOpenWritesNothing) {
    ChipsReady();
    StartApp();
    Click(Control(IDC_WRITE_PROTECT));
    PostClick(Control(IDC_WRITE_CONFIG));
    HWND box = app.WaitForOtherDialog(5000);
    ASSERT_NE(box, nullptr);
    // Sent, so it has been handled when the call returns: Exit, as the box's owner sees it.
    DWORD_PTR result = 0;
    ASSERT_TRUE(
        SendMessageTimeoutA(app.Dialog(), WM_COMMAND, IDCANCEL, 0, SMTO_NORMAL, 5000, &result));
    ASSERT_TRUE(IsWindow(box));
    EXPECT_EQ(app.WaitForExit(0), STILL_ACTIVE);
    Answer(box, IDYES);

    EXPECT_EQ(app.WaitForExit(kJobTimeoutMs), 0u);
    EXPECT_EQ(sim.State(kChipA).openHandles, 0u);
    EXPECT_TRUE(sim.Log(kChipA).empty());
    EXPECT_EQ(sim.Memory(kChipA), std::vector<uint8_t>(ZQSIM_MEMORY_SIZE, 0xFF));
}

// Each way out of the dialog, asked for while a job runs.
struct CloseWay {
    const char* name;
    void (*request)(const AppSession& app);
};

void PrintTo(const CloseWay& way, std::ostream* out) {
    *out << way.name;
}

const CloseWay kCloseWays[] = {
    {"ExitButton", [](const AppSession& app) { PostClick(app.Control(IDCANCEL)); }},
    {"Escape",
     [](const AppSession& app) { PostMessageA(app.Control(IDC_VID), WM_KEYDOWN, VK_ESCAPE, 0); }},
    {"CloseBox",
     [](const AppSession& app) { PostMessageA(app.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"Enter",
     [](const AppSession& app) {
         PostMessageA(app.Control(IDC_PRODUCT), WM_KEYDOWN, VK_RETURN, 0);
     }},
};

class CloseDuringAJob : public Busy, public testing::WithParamInterface<CloseWay> {};

TEST_P(CloseDuringAJob, WaitsForTheJobThenEndsCleanly) {
    StartLongRead();
    GetParam().request(app);
    EXPECT_TRUE(DialogStaysWhileTheJobMustRun()) << "the dialog ended under its job";
    EXPECT_EQ(app.WaitForExit(kJobTimeoutMs), 0u);
    ZqSimCounters counters = sim.Counters(kChipA);
    // Had the program ended under the job, its pending read would have been cancelled.
    EXPECT_EQ(counters.readTimeouts, 1u);
    EXPECT_EQ(counters.readsCancelled, 0u);
    EXPECT_EQ(sim.State(kChipA).openHandles, 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryWayOut, CloseDuringAJob, testing::ValuesIn(kCloseWays),
                         [](const testing::TestParamInfo<CloseWay>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(Busy, CloseDuringAWriteLetsTheWriteFinish) {
    ASSERT_TRUE(sim.MuteAfter(kChipA, 51));
    ChipsReady();
    StartApp();
    SetText(Control(IDC_VID), "0403");
    ASSERT_TRUE(SendClick(Control(IDC_WRITE_CONFIG)));
    PostClick(Control(IDCANCEL));
    EXPECT_EQ(app.WaitForExit(kJobTimeoutMs), 0u);
    std::vector<uint8_t> memory = sim.Memory(kChipA);
    ASSERT_EQ(memory.size(), static_cast<size_t>(ZQSIM_MEMORY_SIZE));
    EXPECT_EQ(memory[0x04], 0x03);
    EXPECT_EQ(memory[0x05], 0x04);
    EXPECT_EQ(sim.Counters(kChipA).readsCancelled, 0u);
    EXPECT_EQ(sim.State(kChipA).openHandles, 0u);
}

}  // namespace
