// The chip-safety check itself: frames written straight to the simulated ports, the way a faulty
// tool would send them, must each be reported, and a clean write must not be.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"

namespace {

// A port opened the way any program opens it, for writing raw frames.
class RawPort {
public:
    explicit RawPort(const std::string& name)
        : handle_(CreateFileA(("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr)) {}
    ~RawPort() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Send(const std::vector<uint8_t>& bytes) {
        DWORD written = 0;
        return WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) != 0;
    }
    bool Write(uint8_t address, uint8_t value) { return Send({0x40, 0xA0, address, value}); }

private:
    HANDLE handle_;
};

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
        RawPort port(kChipA);
        ASSERT_TRUE(port.IsOpen());
        ASSERT_TRUE(port.Write(0x03, 0x00));
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
        RawPort port(kChipB);
        ASSERT_TRUE(port.IsOpen());
        ASSERT_TRUE(port.Write(0x03, 0x57));
        ASSERT_TRUE(port.Write(0x04, 0x12));  // reaches a locked chip: logged, not stored
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
        RawPort port(kChipA);
        ASSERT_TRUE(port.IsOpen());
        ASSERT_TRUE(port.Write(0x00, 0x5B));
        ASSERT_TRUE(port.Write(0x3F, 0x00));
        ASSERT_TRUE(port.Write(0x03, 0x57));
        ASSERT_TRUE(port.Send({0x40, 0xA1, 0x03, 0x00}));  // a read after the lock is fine
    }
    std::vector<std::string> violations = TakeViolations();
    EXPECT_TRUE(violations.empty()) << Joined(violations);
}

TEST_F(ChipSafetyCheck, UnusedAddressesAndMalformedFramesAreReported) {
    ChipsReady();
    {
        RawPort port(kChipA);
        ASSERT_TRUE(port.IsOpen());
        ASSERT_TRUE(port.Write(0x08, 0x00));
        ASSERT_TRUE(port.Send({0x40, 0xA1, 0x19, 0x00}));
        ASSERT_TRUE(port.Write(0x40, 0x00));
        ASSERT_TRUE(port.Send({0x40, 0xA0, 0x04}));
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
        RawPort port(kForeign);
        ASSERT_TRUE(port.IsOpen());
        ASSERT_TRUE(port.Send({0x40, 0xA1, 0x00, 0x00}));
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
