// The chip-safety check itself: frames written straight to the simulated ports through the tool's
// opener, the way a faulty tool would send them, must each be reported, and a clean write must
// not be.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"
#include "tool_port.h"

namespace {

bool Mentions(const std::vector<std::string>& violations, const std::string& port,
              const std::string& part) {
    for (const std::string& line : violations) {
        if (line.find(port) != std::string::npos && line.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += "\n  " + line;
    }
    return text;
}

// Each test takes the violations it provoked and then starts the check afresh, so the check that
// runs after every test finds nothing left over.
class ChipSafetyCheck : public ChipTest {
protected:
    std::vector<std::string> TakeViolations() {
        std::vector<std::string> violations = Safety().Violations();
        Safety().Begin();
        return violations;
    }
};

TEST_F(ChipSafetyCheck, LockWrittenWithAnotherValueIsReportedWithItsFrame) {
    ChipsReady();
    {
        ToolPort port(kChipA);
        ASSERT_TRUE(port.Ready());
        ASSERT_TRUE(port.WriteFrame(0xA0, 0x03, 0x00));
    }
    std::vector<std::string> violations = TakeViolations();
    EXPECT_TRUE(Mentions(violations, kChipA, "writes the lock with another value"))
        << Joined(violations);
    EXPECT_TRUE(Mentions(violations, kChipA, "A0 03 00"))
        << "names the frame" << Joined(violations);
}

TEST_F(ChipSafetyCheck, LockBeforeAnotherWriteAndUnconfirmedIsReportedTwice) {
    ChipsReady();
    {
        ToolPort port(kChipB);
        ASSERT_TRUE(port.Ready());
        ASSERT_TRUE(port.WriteFrame(0xA0, 0x03, 0x57));
        ASSERT_TRUE(
            port.WriteFrame(0xA0, 0x04, 0x12));  // reaches a locked chip: logged, not stored
    }
    std::vector<std::string> violations = TakeViolations();
    EXPECT_TRUE(Mentions(violations, kChipB, "not the last write")) << Joined(violations);
    EXPECT_TRUE(Mentions(violations, kChipB, "without confirmation")) << Joined(violations);
    EXPECT_EQ(violations.size(), 2u) << Joined(violations);
}

TEST_F(ChipSafetyCheck, ConfirmedLockAsTheLastWriteIsNoViolation) {
    ChipsReady();
    Safety().LockConfirmed();
    {
        ToolPort port(kChipA);
        ASSERT_TRUE(port.Ready());
        ASSERT_TRUE(port.WriteFrame(0xA0, 0x00, 0x5B));
        ASSERT_TRUE(port.WriteFrame(0xA0, 0x3F, 0x00));
        ASSERT_TRUE(port.WriteFrame(0xA0, 0x03, 0x57));
        ASSERT_TRUE(port.WriteFrame(0xA1, 0x03, 0x00));  // a read after the lock is fine
    }
    std::vector<std::string> violations = TakeViolations();
    EXPECT_TRUE(violations.empty()) << Joined(violations);
}

TEST_F(ChipSafetyCheck, UnusedAddressesAndMalformedFramesAreReported) {
    ChipsReady();
    {
        ToolPort port(kChipA);
        ASSERT_TRUE(port.Ready());
        ASSERT_TRUE(port.WriteFrame(0xA0, 0x08, 0x00));
        ASSERT_TRUE(port.WriteFrame(0xA1, 0x19, 0x00));
        ASSERT_TRUE(port.WriteFrame(0xA0, 0x40, 0x00));
        ASSERT_TRUE(port.WriteBytes({0x40, 0xA0, 0x04}));
    }
    std::vector<std::string> violations = TakeViolations();
    EXPECT_TRUE(Mentions(violations, "frame 0 ", "unused address")) << Joined(violations);
    EXPECT_TRUE(Mentions(violations, "frame 1 ", "unused address")) << Joined(violations);
    EXPECT_TRUE(Mentions(violations, "frame 2 ", "unused address")) << Joined(violations);
    EXPECT_TRUE(Mentions(violations, "frame 3 ", "not a well-formed frame")) << Joined(violations);
}

TEST_F(ChipSafetyCheck, AnyFrameToTheForeignPortIsReported) {
    ChipsReady();
    {
        ToolPort port(kForeign);
        ASSERT_TRUE(port.Ready());
        ASSERT_TRUE(port.WriteFrame(0xA1, 0x00, 0x00));
    }
    std::vector<std::string> violations = TakeViolations();
    EXPECT_TRUE(Mentions(violations, kForeign, "foreign port")) << Joined(violations);
}

TEST_F(ChipSafetyCheck, LockedChipWhoseMemoryChangesIsReported) {
    ChipImage image;
    image.locked = true;
    ASSERT_TRUE(sim.SetMemory(kChipB, 0, image.Bytes()));
    ChipsReady();
    // Nothing the tool sends can do this; a chip that ignored its lock could.
    ASSERT_TRUE(sim.SetMemory(kChipB, 0x10, {'X'}));
    std::vector<std::string> violations = TakeViolations();
    EXPECT_TRUE(Mentions(violations, kChipB, "locked chip's memory changed")) << Joined(violations);
}

}  // namespace
