// The conversions texts from outside go through (a driver's message, a database's row): never
// refused, every bad byte or unpaired surrogate shown as U+FFFD.
#include <gtest/gtest.h>

#include "utf_text.h"

namespace {

TEST(UtfText, ReplacingConversionsRoundTripAndBadBytesBecomeReplacements) {
    const std::string text = "写入成功 \"A\"; 🔌";
    EXPECT_EQ(Utf16ToUtf8Replacing(Utf8ToUtf16Replacing(text)), text);
    EXPECT_EQ(Utf8ToUtf16Replacing("\xF0\x9F\x94\x8C"), std::u16string(u"\U0001F50C"));
    // A lone continuation byte, an overlong slash, a surrogate in UTF-8, a cut sequence.
    EXPECT_EQ(Utf8ToUtf16Replacing("a\x80"
                                   "b\xC0\xAF"
                                   "c\xED\xA0\x80"
                                   "d\xE5\x86"),
              u"a\uFFFDb\uFFFD\uFFFDc\uFFFD\uFFFD\uFFFDd\uFFFD\uFFFD");
    EXPECT_EQ(Utf16ToUtf8Replacing(std::u16string(u"x") + char16_t(0xD800)), "x\xEF\xBF\xBD");
}

}  // namespace
