// Many random valid forms: gather, write to the simulated chip, read back into a fresh record,
// compare whole; then show the read record and get back exactly what was typed.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

#include "chip_port.h"
#include "config_sequence.h"
#include "form_values.h"
#include "memory_form.h"
#include "test_code_page.h"

namespace {

struct RandomForm {
    std::mt19937 random;
    explicit RandomForm(unsigned seed) : random(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    std::string HexId(bool allowErased) {
        const char* digits = "0123456789abcdefABCDEF";
        for (;;) {
            std::string text;
            for (int i = 0; i < 4; i++)
                text += digits[Below(22)];
            // An erased vendor ID shows as the defaults, by design: not a round trip.
            if (allowErased || strtol(text.c_str(), nullptr, 16) != 0xFFFF)
                return text;
        }
    }

    std::string Printable(int length, bool firstMayBeSpace) {
        std::string text;
        for (int i = 0; i < length; i++) {
            char c = static_cast<char>(0x20 + Below(0x5F));
            if (i == 0 && !firstMayBeSpace && c == ' ')
                c = '!';
            text += c;
        }
        return text;
    }

    // Double-byte characters from the GBK range of common hanzi (lead 0xB0-0xD6, trail 0xA1-0xFE).
    std::string DoubleByte(int characters) {
        std::string text;
        for (int i = 0; i < characters; i++) {
            text += static_cast<char>(0xB0 + Below(0x27));
            text += static_cast<char>(0xA1 + Below(0x5E));
        }
        return text;
    }

    void Fill(MemoryForm& form, bool doubleByte) {
        form.texts[FormText::VendorId] = HexId(false);
        form.texts[FormText::ProductId] = HexId(true);
        form.boxes[FormBox::WriteProtect] = Below(2);
        form.boxes[FormBox::SerialEnabled] = Below(2);
        form.texts[FormText::Serial] =
            form.boxes[FormBox::SerialEnabled] ? Printable(1 + Below(8), false) : "";
        form.boxes[FormBox::ProductEnabled] = Below(2);
        std::string product;
        if (doubleByte) {
            int wide = Below(10);
            product = DoubleByte(wide) + Printable(Below(18 - 2 * wide + 1), true);
        } else {
            product = Printable(Below(19), true);
        }
        // An empty string with a ticked box reads back as absent, by design: not a round trip.
        if (product.empty())
            product = "x";
        form.texts[FormText::Product] = form.boxes[FormBox::ProductEnabled] ? product : "";
    }
};

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

void RoundTrip(int codePageNumber, bool doubleByte) {
    std::unique_ptr<CodePage> codePage = MakeTestCodePage(codePageNumber);
    RandomForm random(1234u + codePageNumber);
    for (int round = 0; round < 300; round++) {
        MemoryForm typed;
        random.Fill(typed, doubleByte);
        RecordPtr gathered;
        GatherForm(typed, *codePage, gathered);

        // Whatever the chip held before, as long as it was not locked.
        uint8_t fill = static_cast<uint8_t>(random.Below(256));
        ChipPort port(fill == 0x57 ? 0x00 : fill);
        ASSERT_EQ(WriteConfig(port, *gathered), 1);
        RecordPtr readBack = NewRecord();
        ASSERT_EQ(ReadConfig(port, *readBack), 1);
        ASSERT_TRUE(RecordsEqual(*gathered, *readBack)) << "round " << round;

        MemoryForm shown;
        ShowRecord(*readBack, *codePage, shown);
        EXPECT_EQ(shown.texts[FormText::VendorId], Upper(typed.texts[FormText::VendorId]));
        EXPECT_EQ(shown.texts[FormText::ProductId], Upper(typed.texts[FormText::ProductId]));
        EXPECT_EQ(shown.texts[FormText::Serial], typed.texts[FormText::Serial]) << round;
        EXPECT_EQ(shown.texts[FormText::Product], typed.texts[FormText::Product]) << round;
        EXPECT_EQ(shown.boxes, typed.boxes) << "round " << round;
    }
}

TEST(RoundTrip, SingleByteCodePageForms) {
    RoundTrip(1252, false);
}

TEST(RoundTrip, DoubleByteCodePageForms) {
    RoundTrip(936, true);
}

}  // namespace
