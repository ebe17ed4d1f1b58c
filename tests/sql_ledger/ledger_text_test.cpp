// What the SQL ledger decides without a server: passwords kept out of messages, a sequence's row
// checked as the options that define one, and what a leasing station says as an outage goes on.
#include <gtest/gtest.h>

#include "offline_text.h"
#include "password_scrub.h"
#include "sequence_identity.h"

namespace {

TEST(ScrubPasswords, HidesEveryPasswordAMessageCouldHold) {
    const std::string connection = "Driver={PostgreSQL Unicode};Uid=zq;PWD={se;cr}}et};";
    const struct {
        std::string message;
        std::string scrubbed;
    } cases[] = {
        // The completed connection string, as drivers hand it back.
        {"DRIVER={MariaDB};UID=zq;PWD=hunter2;SERVER=h",
         "DRIVER={MariaDB};UID=zq;PWD=***;SERVER=h"},
        {"Pwd={se;cr}}et};Port=5", "Pwd=***;Port=5"},
        {"connect \"Password = abc def\" failed", "connect \"Password = *** def\" failed"},
        // The password itself wherever it shows, braced or as the driver received it.
        {"login failed for se;cr}et", "login failed for ***"},
        // Words that only look like keys stay.
        {"password authentication failed for user \"zq\"",
         "password authentication failed for user \"zq\""},
        {"NoPwd=1", "NoPwd=1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScrubPasswords(c.message, connection), c.scrubbed) << c.message;
    }
}

TEST(SequenceRow, ARowEditedByHandIsRefusedNeverCut) {
    const SequenceDefinition good{"L", "LINE0001", "2E1B", "6C04", "usb2.0 serial", false};
    ASSERT_TRUE(IdentityOfSequence(good).Ok());
    EXPECT_EQ(IdentityOfSequence(good)->vendorId, 0x2E1B);
    const struct {
        std::string SequenceDefinition::*field;
        std::string value;
        std::string said;
    } edits[] = {
        {&SequenceDefinition::firstSerial, "LINE1-000001", "first serial \"LINE1-000001\""},
        {&SequenceDefinition::firstSerial, "LINE-ABC", "first serial"},
        {&SequenceDefinition::vid, "FFFF", "VID \"FFFF\""},
        {&SequenceDefinition::pid, "6G04", "PID \"6G04\""},
        {&SequenceDefinition::product, "", "product"},
    };
    for (const auto& edit : edits) {
        SequenceDefinition edited = good;
        edited.*edit.field = edit.value;
        const Result<ChipIdentity> identity = IdentityOfSequence(edited);
        ASSERT_FALSE(identity.Ok()) << edit.value;
        EXPECT_NE(identity.Err().message.find(edit.said), std::string::npos)
            << identity.Err().message;
    }
}

// The lease used up offline is said once an outage, after the board that used it, whatever the
// ports that wait meanwhile; a new outage says it again.
TEST(LeaseRunOutNotice, SaysTheLeaseIsUsedUpOnceAnOutage) {
    const auto since = std::chrono::system_clock::time_point{} + std::chrono::hours(24 * 20000) +
                       std::chrono::seconds(58682);  // 16:18:02 UTC
    LeaseRunOutNotice notice;
    EXPECT_EQ(notice.After(0, std::nullopt), "");  // the ledger answers
    EXPECT_EQ(notice.After(2, since), "");
    EXPECT_EQ(notice.After(0, since),
              "the ledger does not answer since 16:18:02 UTC and the lease is used up: no board "
              "starts until it answers");
    EXPECT_EQ(notice.After(0, since), "");
    EXPECT_EQ(notice.After(3, std::nullopt), "");
    EXPECT_NE(notice.After(0, since), "");
}

}  // namespace
