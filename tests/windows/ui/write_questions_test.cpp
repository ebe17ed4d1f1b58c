// The texts asked before a write: they must name what will really be stored.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config_record.h"
#include "write_questions.h"

namespace {

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

void SetProduct(const std::u16string& text, ConfigRecord& record) {
    record.productPresent = 1;
    record.productDescriptor[0] = static_cast<uint8_t>((text.size() + 1) * 2);
    record.productDescriptor[1] = STRING_DESCRIPTOR_TYPE;
    for (size_t i = 0; i < text.size(); i++) {
        record.productDescriptor[2 + 2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
        record.productDescriptor[3 + 2 * i] = static_cast<uint8_t>(text[i] >> 8);
    }
}

TEST(IdQuestion, FullHexIdsNeedNoQuestionInEitherCase) {
    ConfigRecord record = {};
    record.vendorId = 0xABCD;
    record.productId = 0x00EF;
    EXPECT_EQ(IdQuestion("abcd", "00EF", record), L"");
}

TEST(IdQuestion, NamesOnlyTheBadTextAndTheValueStoredForIt) {
    ConfigRecord record = {};
    record.vendorId = 0x2E1B;
    record.productId = 0x0000;
    std::wstring question = IdQuestion("2E1B", "6C0", record);
    EXPECT_TRUE(Contains(question, L"“6C0”"));
    EXPECT_TRUE(Contains(question, L"0x0000"));
    EXPECT_FALSE(Contains(question, L"2E1B"));
}

TEST(IdQuestion, EmptyAndOverlongTextsAreBothQuestioned) {
    ConfigRecord record = {};
    record.vendorId = 0x2E1B;
    std::wstring question = IdQuestion("2E1B5", "", record);
    EXPECT_TRUE(Contains(question, L"“2E1B5”"));
    EXPECT_TRUE(Contains(question, L"“”"));
    EXPECT_TRUE(Contains(question, L"0x2E1B"));
}

TEST(LockQuestion, ShowsTheRecordsIdsSerialAndProductString) {
    ConfigRecord record = {};
    record.vendorId = 0x1A86;
    record.productId = 0x7523;
    record.serialPresent = 1;
    std::memcpy(record.serial, "AB12CD34", 8);
    SetProduct(u"usb2.0 serial", record);
    std::wstring question = LockQuestion(record);
    EXPECT_TRUE(Contains(question, L"VID：0x1A86"));
    EXPECT_TRUE(Contains(question, L"PID：0x7523"));
    EXPECT_TRUE(Contains(question, L"序列号：AB12CD34\n"));
    EXPECT_TRUE(Contains(question, L"产品字符串：usb2.0 serial\n"));
}

TEST(LockQuestion, ProductStringComesFromTheDescriptorUnitsNotTheCodePage) {
    ConfigRecord record = {};
    SetProduct(u"串口中文", record);
    EXPECT_TRUE(Contains(LockQuestion(record), L"产品字符串：串口中文\n"));
}

TEST(LockQuestion, AbsentAndEmptyFieldsAreSaidSo) {
    ConfigRecord record = {};
    std::wstring absent = LockQuestion(record);
    EXPECT_TRUE(Contains(absent, L"序列号：（不写入）"));
    EXPECT_TRUE(Contains(absent, L"产品字符串：（不写入）"));

    record.serialPresent = 1;
    SetProduct(u"", record);
    std::wstring empty = LockQuestion(record);
    EXPECT_TRUE(Contains(empty, L"序列号：（空）"));
    EXPECT_TRUE(Contains(empty, L"产品字符串：（空）"));
}

TEST(LockQuestion, OversizedLengthByteNeverReadsPastTheEighteenUnits) {
    ConfigRecord record = {};
    SetProduct(u"ABCDEFGHIJKLMNOPQR", record);
    record.productDescriptor[0] = 0xFE;
    std::memset(record.productDescriptor + 38, 'Z', 6);
    EXPECT_TRUE(Contains(LockQuestion(record), L"产品字符串：ABCDEFGHIJKLMNOPQR\n"));
}

}  // namespace
