// The station's two string tables and the choices made around them: both tables hold every id
// with the same insertions, a text a language lacks is said in English, and what the core says
// in English is said whole in Chinese.
#include <gtest/gtest.h>

#include "banner.h"
#include "core_words.h"
#include "format_scheme.h"
#include "identity_description.h"
#include "serial_format.h"
#include "text_format.h"
#include "text_tables.h"

namespace {

// What is wrong with the tables: an id without a text in a language (an English text in a
// Chinese window), or sentences that insert different parts (a serial lost from one of them).
std::string Problems(const TextTables& tables) {
    std::string problems = tables.unknown.empty() ? "" : "undefined: " + tables.unknown + "\n";
    for (const auto& [name, id] : tables.ids) {
        std::set<int> numbers[2];
        for (Language language : {Language::English, Language::Chinese}) {
            auto table = tables.texts.find(language);
            auto text = table == tables.texts.end() ? std::map<int, std::string>::const_iterator()
                                                    : table->second.find(id);
            if (table == tables.texts.end() || text == table->second.end() ||
                text->second.empty()) {
                problems += name + " is missing from the " +
                            (language == Language::Chinese ? "zh-CN" : "en") + " table\n";
                continue;
            }
            numbers[static_cast<int>(language)] = InsertionNumbers(text->second);
        }
        if (numbers[0] != numbers[1]) {
            problems += name + ": the two sentences insert different parts\n";
        }
    }
    return problems;
}

TEST(StationTextTables, BothLanguagesHoldEveryIdWithTheSameInsertions) {
    TextTables tables = ProjectTextTables();
    ASSERT_GT(tables.ids.size(), 100u);
    EXPECT_EQ(Problems(tables), "");
    // The check itself: an id dropped from one table, an insertion dropped from one sentence.
    TextTables broken = tables;
    broken.texts[Language::Chinese].erase(IDS_STATE_FAIL);
    EXPECT_EQ(Problems(broken), "IDS_STATE_FAIL is missing from the zh-CN table\n");
    broken = tables;
    broken.texts[Language::Chinese][IDS_REASON_PERIOD_FULL] = "%2 这一%1的序列号已用完";
    EXPECT_EQ(Problems(broken),
              "IDS_REASON_PERIOD_FULL: the two sentences insert different parts\n");
}

TEST(StationTexts, InsertionsGoWhereEachLanguagePutsThemAndAMissingTextIsEnglish) {
    EXPECT_EQ(FormatText("%2 这一%1的序列号（%1）100%%", {"周", "2026-W50"}),
              "2026-W50 这一周的序列号（周）100%");
    EXPECT_EQ(FormatText("%1 and %3, 50% off", {"a"}), "a and , 50% off");
    EXPECT_EQ(InsertionNumbers("%1 %%2 %3"), (std::set<int>{1, 3}));
    TextTables tables = ProjectTextTables();
    tables.texts[Language::Chinese].erase(IDS_TILE_SET_ASIDE);
    Texts chinese = TextsFrom(tables, Language::Chinese);
    EXPECT_EQ(chinese.Say(IDS_TILE_SET_ASIDE), "Set the board aside");
    EXPECT_EQ(chinese.Say(IDS_STATE_FAIL), "失败");
    EXPECT_EQ(chinese.Say(99999), "#99999") << "never an empty tile";
}

TEST(StationTexts, TheLanguageIsNamedStrictlyAndAnyChineseUiIsChinese) {
    EXPECT_EQ(LanguageNamed("zh-CN"), Language::Chinese);
    EXPECT_EQ(LanguageNamed("en"), Language::English);
    for (const char* name : {"", "zh", "ZH-CN", "en-US", "fr", "zh-CN "}) {
        EXPECT_FALSE(LanguageNamed(name)) << name;
    }
    for (unsigned chinese : {0x0804u, 0x0404u, 0x0C04u, 0x1004u}) {
        EXPECT_EQ(LanguageOfUi(chinese), Language::Chinese) << std::hex << chinese;
    }
    EXPECT_EQ(LanguageOfUi(0x0409), Language::English);
    EXPECT_EQ(LanguageOfUi(0x0411), Language::English);
}

// The core's own sentence (a format's week used up) comes back whole in Chinese, its parts in
// Chinese order; one the station does not know keeps its words inside a Chinese sentence.
TEST(CoreWords, TheCoresSentencesAreSaidWholeInEitherLanguage) {
    FormatScheme scheme(*ParseSerialFormat("ZQ{YY}W{WW}{N:1}"), 0, [] {
        return std::chrono::system_clock::from_time_t(1796284800);  // 2026-12-02, week 49
    });
    for (int n = 1; n <= 9; n++) {
        scheme.MarkUsed("ZQ26W49" + std::to_string(n));
    }
    std::string why = scheme.Next().message;
    TextTables tables = ProjectTextTables();
    Texts english = TextsFrom(tables, Language::English);
    Texts chinese = TextsFrom(tables, Language::Chinese);
    EXPECT_EQ(SayReason(english, why), Sentence(why));
    EXPECT_EQ(SayReason(chinese, why),
              "2026-W49 这一周的序列号已用完（每周 9 个，最后一个是 "
              "ZQ26W499）：到下一周才开始新的板子。");
    EXPECT_EQ(SayReason(chinese, "the serials have run out: the sequence's digits are used up"),
              "序列号已用完：本序列的位数已用尽。");
    EXPECT_EQ(SayReason(chinese, "odbc: server gone"), "批次消息：Odbc: server gone.");
    EXPECT_EQ(SayRecordLoss(chinese,
                            "the batch's record could not be written: it stopped; chips in "
                            "progress finished. The last serial on record: none; used, outcome "
                            "not recorded: ZQ000002"),
              "批次的记录无法写入：批次已停止；进行中的板子已完成。记录中的最后一个序列号：无；"
              "已用但结果未记录：ZQ000002。");
    EXPECT_EQ(SayRecordName(chinese, "sequence s1 in the ledger, station st-a"),
              "账本中的序列 s1，工位 st-a");
    // The lock's question names the identity as zq61prog's does, in English word for word.
    ChipIdentity identity;
    identity.vendorId = 0x2E1B;
    identity.productId = 0x6C04;
    identity.product = u"usb2.0 serial";
    for (const char* first : {"ZQ000001", ""}) {
        EXPECT_EQ(SayIdentity(english, identity, first),
                  DescribeIdentity(identity, SerialsFrom(first)));
    }
    EXPECT_EQ(SayIdentity(chinese, identity, "ZQ000001"),
              "VID 2E1B、PID 6C04、序列号从 ZQ000001 起、产品 “usb2.0 serial”");
    EXPECT_EQ(SayBasis(chinese, "job 3F09A1C2 (bench) in C:\\jobs\\bench.json"),
              "作业 3F09A1C2 (bench)（文件 C:\\jobs\\bench.json）");
}

}  // namespace
