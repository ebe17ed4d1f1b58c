// Restore Default Setting and the write-protect box, which send nothing to the chip.
#include <gtest/gtest.h>

#include "app_session.h"
#include "remote_controls.h"
#include "resource.h"

namespace {

class Form : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.Start()) << app.StartFailure(); }
    AppSession app;
};

TEST_F(Form, RestoreDefaultsResetsTheIdentityButNotTheWriteProtectBox) {
    SetText(app.Control(IDC_VID), "1234");
    SetText(app.Control(IDC_PID), "5678");
    SetText(app.Control(IDC_PRODUCT), "other");
    Click(app.Control(IDC_PRODUCT_ENABLE));
    Click(app.Control(IDC_SERIAL_ENABLE));
    SetText(app.Control(IDC_SERIAL), "SN000001");
    Click(app.Control(IDC_WRITE_PROTECT));

    Click(app.Control(IDC_RESTORE_DEFAULTS));

    EXPECT_EQ(FormOf(app.Dialog()), DefaultForm(true));
}

TEST_F(Form, WriteProtectClickOnlyTogglesItsMark) {
    Click(app.Control(IDC_WRITE_PROTECT));
    EXPECT_TRUE(IsChecked(app.Control(IDC_WRITE_PROTECT)));
    Click(app.Control(IDC_WRITE_PROTECT));
    EXPECT_FALSE(IsChecked(app.Control(IDC_WRITE_PROTECT)));
    EXPECT_EQ(TextOf(app.Control(IDC_STATUS)), L"");
    EXPECT_EQ(app.WaitForOtherDialog(300), nullptr);
}

}  // namespace
