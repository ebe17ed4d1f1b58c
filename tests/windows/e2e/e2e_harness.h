// What every end-to-end test shares: the stand-in driver's control device, the chip-safety check
// that runs around each test, and helpers to drive the dialog's actions and its port list.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app_session.h"
#include "chip_map.h"
#include "chip_safety.h"
#include "remote_controls.h"
#include "sim_control_client.h"

// Longest a job may take: 52 frames plus one read time-out (1.1 s), with room for a slow host.
inline constexpr DWORD kJobTimeoutMs = 10000;

// One control device and one checker for the whole run; main opens them.
SimControl& Sim();
ChipSafety& Safety();

// Resets the default chips before each test and, after it, fails the test with every frame that
// broke a chip-safety rule and with any port the tool left open.
class ChipCheckListener : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo& test) override;
    void OnTestEnd(const testing::TestInfo& test) override;
};

// A test that sets up chips, starts the tool and drives its actions.
class ChipTest : public testing::Test {
protected:
    // Call once the test's chips are set up, before the tool sends anything: from here on
    // every frame is checked, and a locked chip must keep its memory.
    void ChipsReady() { Safety().Begin(); }

    // Starts the tool; fails the test when its dialog does not come up.
    void StartApp();

    HWND Control(int id) const { return app.Control(id); }
    std::wstring Status() const;
    bool ActionsEnabled() const;

    // Sends a click, which opens the port and starts the job, then waits until the job has ended
    // (status set, actions back). For buttons that ask no question.
    void ClickAndWaitForJob(int button);
    // Waits until a job started some other way has ended; false when none ended in time.
    bool WaitForJobEnd();

    // Answers the lock question; Yes is recorded as the user's confirmation.
    void AnswerLockQuestion(bool yes);
    // Answers a message box with the given button and waits until it is gone.
    void Answer(HWND box, int button);

    SimControl& sim = Sim();
    AppSession app;
};

// Port notifications as the system sends them: SendMessageA of WM_DEVICECHANGE with a
// DEV_BROADCAST_PORT_A (PostMessage refuses them).
void SendPortChange(HWND dialog, WPARAM event, const char* name,
                    DWORD deviceType = 3 /* DBT_DEVTYP_PORT */);

// Number of the log's entries of the given kind.
size_t CountKind(const std::vector<ZqSimLogEntry>& log, unsigned kind);
