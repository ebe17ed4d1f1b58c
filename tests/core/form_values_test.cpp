// Gathering a record from the form's texts and showing a read record in them, with real
// single-byte (1252) and double-byte (936) code pages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "form_values.h"
#include "memory_form.h"
#include "test_code_page.h"

namespace {

class FormValues : public ::testing::Test {
protected:
    MemoryForm form;
    std::unique_ptr<CodePage> cp1252 = MakeTestCodePage(1252);
    std::unique_ptr<CodePage> cp936 = MakeTestCodePage(936);
    RecordPtr pending;

    void SetUp() override { FillDefaults(form); }

    ConfigRecord& Gather(CodePage& codePage) {
        GatherForm(form, codePage, pending);
        return *pending;
    }
    ConfigRecord& Gather() { return Gather(*cp1252); }

    std::u16string StoredUnits(const ConfigRecord& record) {
        std::u16string units;
        for (int i = 0; i < 18; i++) {
            char16_t unit = static_cast<char16_t>(record.productDescriptor[2 + 2 * i] |
                                                  (record.productDescriptor[3 + 2 * i] << 8));
            if (unit == 0)
                break;
            units.push_back(unit);
        }
        return units;
    }
};

// GBK bytes of 你好世界 and friends, so the tests do not depend on the source file's encoding.
const char kNiHao[] = "\xC4\xE3\xBA\xC3";   // 你好
const char kShiJie[] = "\xCA\xC0\xBD\xE7";  // 世界

TEST_F(FormValues, DefaultsFillTheIdentityAndLeaveTheLockBoxAlone) {
    MemoryForm fresh;
    fresh.boxes[FormBox::WriteProtect] = 1;
    fresh.boxes[FormBox::SerialEnabled] = 1;
    fresh.texts[FormText::Serial] = "OLD12345";
    FillDefaults(fresh);
    EXPECT_EQ(fresh.texts[FormText::VendorId], "2E1B");
    EXPECT_EQ(fresh.texts[FormText::ProductId], "6C04");
    EXPECT_EQ(fresh.texts[FormText::Product], "usb2.0 serial");
    EXPECT_EQ(fresh.texts[FormText::Serial], "");
    EXPECT_EQ(fresh.boxes[FormBox::ProductEnabled], 1);
    EXPECT_EQ(fresh.boxes[FormBox::SerialEnabled], 0);
    EXPECT_EQ(fresh.boxes[FormBox::WriteProtect], 1);
}

TEST_F(FormValues, HexPairsAcceptBothCasesAndRejectEverythingElse) {
    uint8_t value = 0x77;
    EXPECT_EQ(ParseHexPair("aF", value), 1);
    EXPECT_EQ(value, 0xAF);
    EXPECT_EQ(ParseHexPair("09", value), 1);
    EXPECT_EQ(value, 0x09);
    for (const char* bad : {"G0", "0g", " 1", "1 ", "-1", "0x", "", "7"}) {
        value = 0x77;
        EXPECT_EQ(ParseHexPair(bad, value), 0) << '"' << bad << '"';
        EXPECT_EQ(value, 0x77) << "untouched after " << bad;
    }
}

TEST_F(FormValues, IdsAreParsedPairByPairEachTextOnItsOwn) {
    const struct {
        const char* vendor;
        const char* product;
        uint16_t vendorId;
        uint16_t productId;
    } cases[] = {
        {"ffff", "0001", 0xFFFF, 0x0001},
        {"12G4", "6C04", 0x1200, 0x6C04},  // the invalid low pair becomes 0
        {"G234", "6c04", 0x0034, 0x6C04},
        {"1A8", "7", 0x1A00, 0x0000},  // short texts: missing digits are invalid
        {"2E1B", "", 0x2E1B, 0x0000},
        {"", "ABCD", 0x0000, 0xABCD},
    };
    for (const auto& c : cases) {
        form.texts[FormText::VendorId] = c.vendor;
        form.texts[FormText::ProductId] = c.product;
        ConfigRecord& record = Gather();
        EXPECT_EQ(record.vendorId, c.vendorId) << c.vendor;
        EXPECT_EQ(record.productId, c.productId) << c.vendor << "/" << c.product;
    }
}

TEST_F(FormValues, FullHexIdIsExactlyFourDigits) {
    for (const char* good : {"2E1B", "ffff", "0000", "aBc9"})
        EXPECT_EQ(IsFullHexId(good), 1) << good;
    for (const char* bad : {"12G4", "1A8", "", "7", "12345", " 2E1", "2E1 "}) {
        EXPECT_EQ(IsFullHexId(bad), 0) << '"' << bad << '"';
    }
}

TEST_F(FormValues, GatheredRecordIsConfiguredWithFlagsFromTheBoxes) {
    form.boxes[FormBox::WriteProtect] = 1;
    ConfigRecord& record = Gather();
    EXPECT_EQ(record.configured, 1);
    EXPECT_EQ(record.writeProtected, 1);
    EXPECT_EQ(record.serialPresent, 0);
    EXPECT_EQ(record.productPresent, 1);
    // An unticked serial box stores nothing, whatever the box holds.
    form.texts[FormText::Serial] = "SN000001";
    form.boxes[FormBox::ProductEnabled] = 0;
    form.boxes[FormBox::WriteProtect] = 0;
    ConfigRecord& second = Gather();
    EXPECT_EQ(second.writeProtected, 0);
    EXPECT_EQ(second.productPresent, 0);
    for (uint8_t byte : second.serial)
        EXPECT_EQ(byte, 0);
    for (uint8_t byte : second.productDescriptor)
        EXPECT_EQ(byte, 0);
}

TEST_F(FormValues, SerialIsCopiedAsTypedAndTerminated) {
    form.boxes[FormBox::SerialEnabled] = 1;
    form.texts[FormText::Serial] = "SN0000012345";  // longer than the box allows
    ConfigRecord& record = Gather();
    EXPECT_EQ(record.serialPresent, 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record.serial)), "SN000001");
    for (int i = 8; i < 12; i++)
        EXPECT_EQ(record.serial[i], 0);

    form.texts[FormText::Serial] = " LEADING";  // kept: the read-back will call it absent
    EXPECT_EQ(Gather().serialPresent, 1);
    EXPECT_EQ(pending->serial[0], ' ');
}

TEST_F(FormValues, ProductDescriptorLengthIsUnitsPlusOneTimesTwo) {
    const struct {
        std::string text;
        uint8_t length;
    } cases[] = {{"usb2.0 serial", 28},
                 {"", 2},
                 {"123456789012345678", 38},
                 {"1234567890123456789", 38}};  // the 19th character never reaches the record
    for (const auto& c : cases) {
        form.texts[FormText::Product] = c.text;
        ConfigRecord& record = Gather();
        EXPECT_EQ(record.productDescriptor[0], c.length) << c.text;
        EXPECT_EQ(record.productDescriptor[1], 3);
        EXPECT_EQ(record.productPresent, 1);
        for (int i = 38; i < 44; i++)
            EXPECT_EQ(record.productDescriptor[i], 0);
    }
    form.texts[FormText::Product] = "usb2.0 serial";
    EXPECT_EQ(StoredUnits(Gather()), u"usb2.0 serial");
}

TEST_F(FormValues, DoubleByteProductStringBecomesOneUnitPerCharacter) {
    form.texts[FormText::Product] = std::string(kNiHao) + "USB" + kShiJie;
    ConfigRecord& record = Gather(*cp936);
    EXPECT_EQ(StoredUnits(record), u"你好USB世界");
    EXPECT_EQ(record.productDescriptor[0], (7 + 1) * 2);

    // The box's 18-byte limit holds nine double-byte characters.
    std::string nine;
    for (int i = 0; i < 4; i++)
        nine += std::string(kNiHao);
    nine += "\xCA\xC0";
    form.texts[FormText::Product] = nine;
    EXPECT_EQ(StoredUnits(Gather(*cp936)), u"你好你好你好你好世");
    EXPECT_EQ(pending->productDescriptor[0], 20);
}

TEST_F(FormValues, GatheringReplacesThePendingRecord) {
    form.texts[FormText::VendorId] = "1111";
    Gather();
    ConfigRecord* first = pending.get();
    form.texts[FormText::VendorId] = "2222";
    Gather();
    EXPECT_EQ(pending->vendorId, 0x2222);
    (void)first;  // released by the second gather; the sanitizer build checks the release
}

class ShowRecordTest : public FormValues {
protected:
    RecordPtr record = NewRecord();

    void SetUp() override {
        FormValues::SetUp();
        record->configured = 1;
        record->vendorId = 0x0A0B;
        record->productId = 0x00FF;
    }
    void SetProduct(const std::u16string& units) {
        record->productDescriptor[0] = static_cast<uint8_t>((units.size() + 1) * 2);
        record->productDescriptor[1] = 3;
        for (size_t i = 0; i < units.size(); i++) {
            record->productDescriptor[2 + 2 * i] = static_cast<uint8_t>(units[i] & 0xFF);
            record->productDescriptor[3 + 2 * i] = static_cast<uint8_t>(units[i] >> 8);
        }
        record->productPresent = 1;
    }
};

TEST_F(ShowRecordTest, UnconfiguredRecordChangesNothing) {
    form.texts[FormText::Serial] = "keep";
    form.boxes[FormBox::WriteProtect] = 1;
    MemoryForm before = form;
    record->configured = 0;
    ShowRecord(*record, *cp1252, form);
    EXPECT_EQ(form.texts, before.texts);
    EXPECT_EQ(form.boxes, before.boxes);
}

TEST_F(ShowRecordTest, IdsShowAsFourUpperCaseDigitsOrTheDefaultsForAnErasedVendor) {
    ShowRecord(*record, *cp1252, form);
    EXPECT_EQ(form.texts[FormText::VendorId], "0A0B");
    EXPECT_EQ(form.texts[FormText::ProductId], "00FF");
    record->vendorId = 0xFFFF;
    record->productId = 0x0001;
    ShowRecord(*record, *cp1252, form);
    EXPECT_EQ(form.texts[FormText::VendorId], "2E1B");
    EXPECT_EQ(form.texts[FormText::ProductId], "6C04");
}

TEST_F(ShowRecordTest, BoxesFollowTheRecordsFlags) {
    record->writeProtected = 1;
    record->serialPresent = 1;
    std::memcpy(record->serial, "AB12", 4);
    SetProduct(u"Widget");
    ShowRecord(*record, *cp1252, form);
    EXPECT_EQ(form.boxes[FormBox::WriteProtect], 1);
    EXPECT_EQ(form.boxes[FormBox::SerialEnabled], 1);
    EXPECT_EQ(form.texts[FormText::Serial], "AB12");
    EXPECT_EQ(form.boxes[FormBox::ProductEnabled], 1);
    EXPECT_EQ(form.texts[FormText::Product], "Widget");

    RecordPtr bare = NewRecord();
    bare->configured = 1;
    ShowRecord(*bare, *cp1252, form);
    EXPECT_EQ(form.boxes[FormBox::WriteProtect], 0);
    EXPECT_EQ(form.boxes[FormBox::SerialEnabled], 0);
    EXPECT_EQ(form.texts[FormText::Serial], "");
    EXPECT_EQ(form.boxes[FormBox::ProductEnabled], 0);
    EXPECT_EQ(form.texts[FormText::Product], "");
}

TEST_F(ShowRecordTest, FullEightCharacterSerialIsShownWhole) {
    record->serialPresent = 1;
    std::memcpy(record->serial, "ZQ610001", 8);
    ShowRecord(*record, *cp1252, form);
    EXPECT_EQ(form.texts[FormText::Serial], "ZQ610001");
}

TEST_F(ShowRecordTest, ProductStringEndsAtTheFirstZeroUnit) {
    SetProduct(u"ab");
    record->productDescriptor[8] = 'z';  // a unit after the terminating zero unit
    ShowRecord(*record, *cp1252, form);
    EXPECT_EQ(form.texts[FormText::Product], "ab");
}

TEST_F(ShowRecordTest, DoubleByteStringsShowInCodePage936) {
    SetProduct(u"你好USB世界");
    ShowRecord(*record, *cp936, form);
    EXPECT_EQ(form.texts[FormText::Product], std::string(kNiHao) + "USB" + kShiJie);
}

// 18 double-byte characters need 36 bytes: the text is cut at the last whole character that
// fits in 31 bytes and stays terminated.
TEST_F(ShowRecordTest, StringTooLongForTheBufferIsCutAtAWholeCharacter) {
    SetProduct(u"你好你好你好你好你好你好你好你好你好");
    ShowRecord(*record, *cp936, form);
    std::string expected;
    for (int i = 0; i < 7; i++)
        expected += kNiHao;
    expected += "\xC4\xE3";  // 15 characters, 30 bytes
    EXPECT_EQ(form.texts[FormText::Product], expected);

    // An odd split point: one ASCII character first, so 31 bytes end on a whole character.
    SetProduct(u"a你好你好你好你好你好你好你好你好你");
    ShowRecord(*record, *cp936, form);
    EXPECT_EQ(form.texts[FormText::Product].size(), 31u);
    EXPECT_EQ(form.texts[FormText::Product][0], 'a');
}

// In UTF-8 a pair takes four bytes and half a pair alone converts to a replacement (one '?'
// here, three bytes under Windows' converter). A pair after 28 bytes does not fit the 31, its
// first half would: the cut must come before the pair, not inside it.
TEST_F(ShowRecordTest, SurrogatePairIsNeverSplit) {
    std::unique_ptr<CodePage> utf8 = MakeTestCodePage(65001);
    const std::string niHao = "\xE4\xBD\xA0\xE5\xA5\xBD";                     // 你好
    const std::string nine = niHao + niHao + niHao + niHao + "\xE4\xBD\xA0";  // 27 bytes
    const std::string grin = "\xF0\x9F\x98\x80";                              // U+1F600
    const struct {
        std::u16string units;
        std::string shown;
    } cases[] = {
        {u"你好你好你好你好你a\U0001F600", nine + "a"},  // 28 + 4: the pair goes whole
        {u"你好你好你好你好你\U0001F600", nine + grin},  // 27 + 4 = 31: the pair fits whole
    };
    for (const auto& c : cases) {
        SetProduct(c.units);
        ShowRecord(*record, *utf8, form);
        EXPECT_EQ(form.texts[FormText::Product], c.shown) << c.units.size() << " units";
    }
}

}  // namespace
