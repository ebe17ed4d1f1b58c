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
    ASSERT_TRUE(app.Start()) << AppPath();
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

namespace {

// Bounded like every message of remote_controls: a crashed tool must not hang the run.
LRESULT SendBoundedW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

}  // namespace

std::vector<std::wstring> PortEntries(HWND combo) {
    std::vector<std::wstring> entries;
    LRESULT count = SendBoundedW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        wchar_t text[64] = {};
        if (SendBoundedW(combo, CB_GETLBTEXTLEN, i, 0) < 64) {
            SendBoundedW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        }
        entries.push_back(text);
    }
    return entries;
}

int Selection(HWND combo) {
    return static_cast<int>(SendBoundedW(combo, CB_GETCURSEL, 0, 0));
}

void SelectPort(HWND combo, int index) {
    SendBoundedW(combo, CB_SETCURSEL, index, 0);
}

bool SendClick(HWND button, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

void SetTextW(HWND window, const wchar_t* text) {
    SendBoundedW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

size_t CountKind(const std::vector<ZqSimLogEntry>& log, unsigned kind) {
    size_t count = 0;
    for (const ZqSimLogEntry& entry : log) {
        count += entry.kind == kind ? 1 : 0;
    }
    return count;
}
