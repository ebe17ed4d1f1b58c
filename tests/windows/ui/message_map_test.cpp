// Message-map dispatch without windows: which handler a message reaches, and what the dialog
// procedure then returns.
#include <gtest/gtest.h>

#include <vector>

#include "afx_app.h"
#include "afx_dialog.h"

namespace {

constexpr UINT IDC_BUTTON = 1234;
constexpr UINT IDC_OTHER = 1235;
constexpr UINT ID_APP_COMMAND = 0xE200;

std::vector<const char*> calls;

class CTestDialog : public CDialog {
public:
    CTestDialog() : CDialog(1) {}

    bool deferPaint = false;
    HICON dragIcon = reinterpret_cast<HICON>(0x1234);

protected:
    void OnOK() override { calls.push_back("OnOK"); }
    void OnButton() { calls.push_back("OnButton"); }
    void OnPaint() {
        calls.push_back("OnPaint");
        if (deferPaint) {
            CDialog::OnPaint();
        }
    }
    void OnSysCommand(UINT, LPARAM) {
        calls.push_back("OnSysCommand");
        // A nested modal loop dispatches more messages to this dialog meanwhile.
        deferPaint = true;
        Dispatch(WM_PAINT, 0, 0);
        deferPaint = false;
    }
    HCURSOR OnQueryDragIcon() { return dragIcon; }
    LRESULT OnPrivate(WPARAM wParam, LPARAM lParam) {
        calls.push_back("OnPrivate");
        return static_cast<LRESULT>(wParam + lParam);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
ON_BN_CLICKED(IDC_BUTTON, &CTestDialog::OnButton)
ON_WM_PAINT()
ON_WM_SYSCOMMAND()
ON_WM_QUERYDRAGICON()
ON_MESSAGE(WM_APP + 7, &CTestDialog::OnPrivate)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
public:
    void OnAppCommand() { calls.push_back("OnAppCommand"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
ON_COMMAND(ID_APP_COMMAND, &CTestApp::OnAppCommand)
END_MESSAGE_MAP()

class MessageMap : public testing::Test {
protected:
    void SetUp() override { calls.clear(); }
    CTestApp app;
    CTestDialog dialog;
};

TEST_F(MessageMap, ClickReachesItsHandlerOnlyForItsControlAndNotification) {
    EXPECT_TRUE(dialog.Dispatch(WM_COMMAND, MAKEWPARAM(IDC_BUTTON, BN_CLICKED), 0));
    EXPECT_FALSE(dialog.Dispatch(WM_COMMAND, MAKEWPARAM(IDC_OTHER, BN_CLICKED), 0));
    EXPECT_FALSE(dialog.Dispatch(WM_COMMAND, MAKEWPARAM(IDC_BUTTON, EN_CHANGE), 0));
    EXPECT_EQ(calls, (std::vector<const char*>{"OnButton"}));
}

TEST_F(MessageMap, BaseEntriesReachTheDerivedOverride) {
    // IDOK is mapped by CDialog itself; the virtual call lands in the derived class.
    EXPECT_TRUE(dialog.Dispatch(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0));
    EXPECT_EQ(calls, (std::vector<const char*>{"OnOK"}));
}

TEST_F(MessageMap, CommandsTheDialogDoesNotMapGoOnToTheApplication) {
    EXPECT_TRUE(dialog.Dispatch(WM_COMMAND, MAKEWPARAM(ID_APP_COMMAND, 0), 0));
    EXPECT_EQ(calls, (std::vector<const char*>{"OnAppCommand"}));
    // Only commands are routed: other messages the dialog does not map get the defaults.
    EXPECT_FALSE(dialog.Dispatch(WM_TIMER, 0, 0));
}

TEST_F(MessageMap, DefaultHandlingReturnsFalseSoTheSystemDoesIt) {
    EXPECT_TRUE(dialog.Dispatch(WM_PAINT, 0, 0));
    dialog.deferPaint = true;
    EXPECT_FALSE(dialog.Dispatch(WM_PAINT, 0, 0));
}

TEST_F(MessageMap, NestedDefaultRequestDoesNotLeakIntoTheOuterMessage) {
    EXPECT_TRUE(dialog.Dispatch(WM_SYSCOMMAND, 0x10, 0));
    EXPECT_EQ(calls, (std::vector<const char*>{"OnSysCommand", "OnPaint"}));
}

TEST_F(MessageMap, DragIconIsReturnedDirectlyAndPrivateMessagesGetTheirParameters) {
    EXPECT_EQ(dialog.Dispatch(WM_QUERYDRAGICON, 0, 0), reinterpret_cast<INT_PTR>(dialog.dragIcon));
    // Other results travel in DWLP_MSGRESULT; the procedure itself only says "handled".
    EXPECT_EQ(dialog.Dispatch(WM_APP + 7, 40, 2), TRUE);
    EXPECT_EQ(calls, (std::vector<const char*>{"OnPrivate"}));
}

}  // namespace
