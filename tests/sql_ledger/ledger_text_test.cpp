// What the SQL ledger does to text on its own: passwords kept out of messages, and UTF-8 to
// UTF-16 and back for ODBC's wide calls.
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

TEST(LedgerText, Utf8AndUtf16RoundTripAndBadBytesBecomeReplacements) {
    const std::string text = "写入成功 \"A\"; 🔌";
    EXPECT_EQ(odbc::Utf16ToUtf8(odbc::Utf8ToUtf16(text)), text);
    EXPECT_EQ(odbc::Utf8ToUtf16("\xF0\x9F\x94\x8C"), std::u16string(u"\U0001F50C"));
    // A lone continuation byte, an overlong slash, a surrogate in UTF-8, a cut sequence.
    EXPECT_EQ(odbc::Utf8ToUtf16("a\x80"
                                "b\xC0\xAF"
                                "c\xED\xA0\x80"
                                "d\xE5\x86"),
              u"a\uFFFDb\uFFFD\uFFFDc\uFFFD\uFFFD\uFFFDd\uFFFD\uFFFD");
    EXPECT_EQ(odbc::Utf16ToUtf8(std::u16string(u"x") + char16_t(0xD800)), "x\xEF\xBF\xBD");
}

}  // namespace
