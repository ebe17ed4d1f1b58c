// What the SQL ledger does to text on its own: passwords kept out of messages.
#include <gtest/gtest.h>

#include "ledger_text.h"

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

}  // namespace
