#include "e2e_harness.h"

#include "port_notification.h"
#include "remote_controls.h"
#include "resource.h"

SimControl& Sim() {
    static SimControl control;
    return control;
}

ChipSafety& Safety() {
    static ChipSafety checker(Sim());
    return checker;
}

void ChipCheckListener::OnTestStart(const testing::TestInfo&) {
    EXPECT_TRUE(Sim().ResetDefaultPorts())
        << "cannot reset the default ports (error " << GetLastError() << ")";
    Safety().Begin();
}

void ChipCheckListener::OnTestEnd(const testing::TestInfo&) {
    for (const std::string& violation : Safety().Violations()) {
        ADD_FAILURE() << "chip safety: " << violation;
    }
    // The session's destructor has ended the tool by now; a port still open means a job or a
    // handle outlived it.
    ZqSimPortList ports = Sim().Ports();
    for (unsigned i = 0; i < ports.count && i < ZQSIM_MAX_PORTS; i++) {
        std::string name = ports.ports[i].port;
        bool closed = WaitUntil([&] { return Sim().State(name).openHandles == 0; }, 3000);
        EXPECT_TRUE(closed) << name << " is still open after the test";
    }
    // Leave the default ports as the driver made them for whatever runs next.
    Sim().ResetDefaultPorts();
}

void ChipTest::StartApp() {
    ASSERT_TRUE(app.Start()) << app.StartFailure();
}

std::wstring ChipTest::Status() const {
    return TextOf(Control(IDC_STATUS));
}

bool ChipTest::ActionsEnabled() const {
    return IsWindowEnabled(Control(IDC_READ_CONFIG)) &&
           IsWindowEnabled(Control(IDC_WRITE_CONFIG)) && IsWindowEnabled(Control(IDC_PORT));
}

void ChipTest::ClickAndWaitForJob(int button) {
    SetText(Control(IDC_STATUS), "");
    // Sent: it returns once the handler has opened the port and started the job.
    if (!SendClick(Control(button))) {
        HWND box = app.WaitForOtherDialog(1000);
        ADD_FAILURE() << "the click opened a box instead of a job: "
                      << testing::PrintToString(box != nullptr ? MessageBoxText(box) : L"");
        return;
    }
    EXPECT_TRUE(WaitForJobEnd()) << "the job did not end; status: "
                                 << testing::PrintToString(Status());
}

bool ChipTest::WaitForJobEnd() {
    // A job sets the status before it hands the actions back, so both together mean it is over.
    return WaitUntil([&] { return !Status().empty() && ActionsEnabled(); }, kJobTimeoutMs);
}

void ChipTest::AnswerLockQuestion(bool yes) {
    HWND box = app.WaitForOtherDialog(5000);
    ASSERT_NE(box, nullptr) << "no lock question";
    ASSERT_NE(MessageBoxText(box).find(L"永久"), std::wstring::npos)
        << "not the lock question: " << testing::PrintToString(MessageBoxText(box));
    if (yes) {
        Safety().LockConfirmed();
    }
    Answer(box, yes ? IDYES : IDNO);
}

void ChipTest::Answer(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, button, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
}

void SendPortChange(HWND dialog, WPARAM event, const char* name, DWORD deviceType) {
    std::vector<char> buffer = PortNotification(name, deviceType);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_NORMAL, 5000, &result);
}

size_t CountKind(const std::vector<ZqSimLogEntry>& log, unsigned kind) {
    size_t count = 0;
    for (const ZqSimLogEntry& entry : log) {
        count += entry.kind == kind ? 1 : 0;
    }
    return count;
}
