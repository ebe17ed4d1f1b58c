// What the station's window shows, decided on the host: the tiles' order and words, the banner
// as the batch's state changes, the next serial from the serials the boards take, boards per
// hour.
#include <gtest/gtest.h>

#include <algorithm>

#include "audit_tile.h"
#include "banner.h"
#include "board_rate.h"
#include "next_serial.h"
#include "port_name.h"
#include "port_order.h"
#include "text_tables.h"
#include "tile_content.h"

namespace {

using Ports = std::vector<std::string>;

// The station's English texts, from its string table.
const Texts& English() {
    static const Texts texts = TextsFrom(ProjectTextTables(), Language::English);
    return texts;
}

TEST(PortOrder, NewPortsFollowTheMapAndUnpluggedOnesKeepTheirPlace) {
    EXPECT_EQ(MergePortOrder({}, {"COM3", "COM21"}), (Ports{"COM3", "COM21"}));
    // COM22 comes after COM21, its nearest earlier port in the map that has a tile.
    EXPECT_EQ(MergePortOrder({"COM3", "COM21", "COM40"}, {"COM21", "COM22"}),
              (Ports{"COM3", "COM21", "COM22", "COM40"}));
    // No earlier port of the map has a tile: first.
    EXPECT_EQ(MergePortOrder({"COM21"}, {"COM5", "COM21"}), (Ports{"COM5", "COM21"}));
    // COM21 unplugged (not in the map) stays where it was.
    EXPECT_EQ(MergePortOrder({"COM21", "COM22"}, {"COM22"}), (Ports{"COM21", "COM22"}));
    // A port's name in another case is the same port, as on Windows: no second tile.
    EXPECT_EQ(MergePortOrder({"com21"}, {"COM21", "COM22"}), (Ports{"com21", "COM22"}));
}

TEST(PortName, PortsAreTheSameWhateverTheCaseOfTheirLetters) {
    EXPECT_TRUE(SamePort("com3", "COM3"));
    EXPECT_TRUE(SamePort(R"(\\.\Com10)", R"(\\.\cOM10)"));
    EXPECT_FALSE(SamePort("COM1", "COM10"));
    EXPECT_FALSE(SamePort("COM3", "CON3"));
    EXPECT_TRUE(HasPort(Ports{"COM1", "com3"}, "COM3"));
}

TEST(BoardRate, NoFigureBeforeABoardEndsThenBoardsOfTheLastHour) {
    BoardRate rate;
    rate.BoardStarted(0);
    EXPECT_FALSE(rate.PerHour(10));
    rate.BoardEnded(10);
    EXPECT_DOUBLE_EQ(*rate.PerHour(10), 60) << "never over less than a minute";
    for (int i = 1; i <= 9; i++) {
        rate.BoardEnded(600 + i);
    }
    EXPECT_DOUBLE_EQ(*rate.PerHour(1200), 10 * 3600.0 / 1200);
    EXPECT_DOUBLE_EQ(*rate.PerHour(3611), 9) << "the first board ended over an hour ago";
}

TEST(TileContent, EachOutcomeSaysWhatToDoWithTheBoard) {
    ChipReport report{"COM21", "ZQ000007", BatchOutcome::Verified, "ok", 0.1, {}};
    TileContent pass = ResultTile(English(), report);
    EXPECT_EQ(pass.look, TileLook::Pass);
    EXPECT_EQ(pass.main, "ZQ000007");
    report.label = {LabelState::NotPrinted, "the printer refused the connection"};
    TileContent unlabelled = ResultTile(English(), report);
    EXPECT_EQ(unlabelled.state, "PASS");
    EXPECT_EQ(unlabelled.detail, "label not printed: reprint (the printer refused the connection)");
    report.label = {};
    report.outcome = BatchOutcome::Unverified;
    TileContent fail = ResultTile(English(), report);
    EXPECT_EQ(fail.state, "FAIL");
    EXPECT_EQ(fail.main, "unverified");
    EXPECT_EQ(fail.detail, "ok (serial ZQ000007 used)");
    report.outcome = BatchOutcome::ReadFailed;
    report.serial.clear();
    EXPECT_EQ(ResultTile(English(), report).detail, "ok") << "no serial used, none named";
    report.outcome = BatchOutcome::SkippedLocked;
    EXPECT_EQ(ResultTile(English(), report).look, TileLook::Skipped);
}

// The type of the state word, the main line and the advice is sized by every text each may
// show: a text a tile shows that is not among them could be cut, in either language.
TEST(TileContent, EveryTextATileShowsIsAmongThoseItsTypeIsSizedBy) {
    for (Language language : {Language::English, Language::Chinese}) {
        Texts texts = TextsFrom(ProjectTextTables(), language);
        std::vector<TileContent> shown = {WaitingTile(texts),
                                          WorkingTile(texts, ChipPhase::Reading),
                                          WorkingTile(texts, ChipPhase::Writing),
                                          LeftAloneTile(texts),
                                          AuditUnreadTile(texts, "x"),
                                          AuditTile(texts, AuditReport{}, "")};
        for (BatchOutcome outcome : kFinalOutcomes) {
            shown.push_back(ResultTile(texts, {"COM21", "", outcome, "", 0, {}}));
        }
        shown.push_back(ResultTile(
            texts, {"COM21", "", BatchOutcome::Verified, "", 0, {LabelState::NotPrinted, ""}}));
        auto among = [](const std::vector<std::string>& texts, const std::string& text) {
            return std::find(texts.begin(), texts.end(), text) != texts.end();
        };
        for (const TileContent& tile : shown) {
            EXPECT_TRUE(among(StateWords(texts), tile.state)) << tile.state;
            EXPECT_TRUE(tile.main.empty() || among(MainTexts(texts), tile.main)) << tile.main;
            EXPECT_TRUE(among(AdviceTexts(texts), tile.advice)) << tile.advice;
        }
    }
}

// An audit's tile: PASS with where the board was verified or the job it matches, FAIL naming the
// fields that differ, in words no wider than a batch's.
TEST(AuditTile, PassSaysWhatItMatchesAndFailNamesTheFields) {
    auto field = [](const char* name, std::string found) {
        return AuditField{name, "x", std::move(found), FieldVerdict::Matches, ""};
    };
    AuditReport report{{field("serial", "ZQ000123, verified at st-a 2026-12-08T09:14Z"),
                        field("vid", "0A5C"), field("pid", "6001"),
                        field("product", "\"Bench Board\""), field("lock", "no")}};
    TileContent pass = AuditTile(English(), report, "");
    EXPECT_EQ(pass.state, "PASS");
    EXPECT_EQ(pass.main, "ZQ000123");
    EXPECT_EQ(pass.detail, "matches ZQ000123, verified at st-a 2026-12-08T09:14Z");
    Texts chinese = TextsFrom(ProjectTextTables(), Language::Chinese);
    EXPECT_EQ(AuditTile(chinese, report, "").detail,
              "与记录一致：ZQ000123，已于 st-a 2026-12-08T09:14Z 校验");
    report.fields[0].found = "ZQ000123";
    EXPECT_EQ(AuditTile(English(), report, "3F09A1C2").detail, "matches job 3F09A1C2");
    report.fields[3].verdict = FieldVerdict::Differs;
    report.fields[3].note =
        "product differs: \"Bench Board\" in the job, \"Bench Bard\" on the chip";
    TileContent fail = AuditTile(English(), report, "3F09A1C2");
    EXPECT_EQ(fail.look, TileLook::Fail);
    EXPECT_EQ(fail.detail, "product differs: x expected, \"Bench Board\" found");
    // A note that says more than the values, and the fields left unchecked beside none that
    // differs, in the operator's words.
    report.fields[0].verdict = FieldVerdict::Differs;
    report.fields[0].note = "recorded as failed at st-a 2026-12-08T09:14Z";
    EXPECT_EQ(AuditTile(chinese, report, "").detail,
              "序列号：记录为 failed（st-a 2026-12-08T09:14Z）；产品字符串不一致：应为 x，板上为 "
              "\"Bench Board\"");
    report.fields[0].verdict = FieldVerdict::Unchecked;
    report.fields[3].verdict = FieldVerdict::Unchecked;
    EXPECT_EQ(AuditTile(chinese, report, "").detail, "未能核对：序列号、产品字符串");
    EXPECT_EQ(AuditTile(English(), report, "3F09A1C2").state, "FAIL") << "unchecked is no proof";
}

BatchState Running() {
    BatchState state;
    state.begun = true;
    state.count = 5;
    return state;
}

TEST(Banner, ALedgerBackNeverOverwritesAStopOrTheEnd) {
    BatchState state = Running();
    state.ledgerLost = true;
    EXPECT_EQ(BannerFor(English(), state).look, BannerLook::Fault);
    state.stopAsked = true;
    EXPECT_EQ(BannerFor(English(), state).look, BannerLook::Fault)
        << "the boards in progress wait on it";
    state.ledgerLost = false;
    state.ledgerCameBack = true;
    EXPECT_EQ(BannerFor(English(), state).text.rfind("Stopping:", 0), 0u)
        << BannerFor(English(), state).text;
    state.stopAsked = false;
    state.stopReason = "";  // the count was reached
    EXPECT_EQ(BannerFor(English(), state).text.rfind("Complete: 5 boards", 0), 0u)
        << BannerFor(English(), state).text;
    state.ended = true;
    state.ledgerLost = true;
    EXPECT_EQ(BannerFor(English(), state).look, BannerLook::Good)
        << BannerFor(English(), state).text;
}

TEST(Banner, FaultsAndTheEndSayWhy) {
    BatchState state = Running();
    state.resumedAfter = "ZQ000009";
    EXPECT_EQ(BannerFor(English(), state).text.rfind("Resuming after ZQ000009,", 0), 0u);
    // A period's serials used up: said until a board takes one again; a lost ledger outranks it.
    state.serialsWaiting =
        "the serials of week 2026-W50 have run out: no board starts until the next week";
    EXPECT_EQ(BannerFor(English(), state).text,
              "The serials of week 2026-W50 have run out: no board starts until the next week.");
    EXPECT_EQ(BannerFor(English(), state).look, BannerLook::Warn);
    state.ledgerLost = true;
    EXPECT_EQ(BannerFor(English(), state).text.rfind("The ledger does not answer", 0), 0u);
    state.ledgerLost = false;
    state.serialsWaiting.clear();
    state.stopReason = "no serial of the sequence is left";
    EXPECT_EQ(BannerFor(English(), state).text,
              "No serial of the sequence is left. No new board starts.");
    state.ledgerLost = true;
    EXPECT_EQ(BannerFor(English(), state).text.rfind("No serial", 0), 0u)
        << "the stop's fault says more";
    state.ended = true;
    state.recordLost = true;
    state.recordSummary = "the last serial on record: ZQ000010";
    EXPECT_EQ(BannerFor(English(), state).text, "The last serial on record: ZQ000010.");
    state.recordLost = false;
    state.stopReason = "stopping: the chips in progress finish first";
    state.interrupted = true;
    EXPECT_EQ(BannerFor(English(), state).look, BannerLook::Warn);
    EXPECT_EQ(BannerFor(English(), state).text.rfind("Stopped:", 0), 0u);
}

TEST(NextSerial, FollowsTheTakesInWhateverOrderTheyAreTold) {
    EXPECT_EQ(NextSerialText(English(), NextAtStart("")), "next serial unknown");
    NextSerial shown = NextAtStart("ZQ000001");
    shown = LaterOf(shown, NextAfterTake("ZQ000002"));
    shown = LaterOf(shown, NextAfterTake("ZQ000001"));  // an earlier take told later
    EXPECT_EQ(NextSerialText(English(), shown), "next serial ZQ000003");
    EXPECT_EQ(NextSerialText(English(), NextAfterTake("ZQ000009")), "next serial ZQ000010");
    shown = LaterOf(shown, NextAfterTake("ZQ999999"));
    EXPECT_EQ(NextSerialText(English(), shown), "no serial left");
    EXPECT_EQ(LaterOf(shown, NextAfterTake("ZQ000004")).state, NextSerial::State::NoneLeft);
    // A take that does not tell the next serial (a list's) leaves no stale serial in the header.
    EXPECT_EQ(NextSerialText(English(), LaterOf(NextAtStart("ZQ000001"), NextSerial{})),
              "next serial unknown");
}

}  // namespace
