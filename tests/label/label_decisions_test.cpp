// The label's decisions: which board gets one, and where --printer sends it.
#include <gtest/gtest.h>

#include <vector>

#include "label_order.h"
#include "label_values.h"
#include "printer_target.h"

namespace {

// Every outcome a record can hold for a board, programming or not: the enumeration's values,
// Started to LabelReprinted.
std::vector<BatchOutcome> EveryOutcome() {
    std::vector<BatchOutcome> outcomes;
    for (int value = 0; value <= static_cast<int>(BatchOutcome::LabelReprinted); value++) {
        outcomes.push_back(static_cast<BatchOutcome>(value));
    }
    return outcomes;
}

TEST(LabelOrder, OnlyAVerifiedBoardWhoseRecordIsDurableGetsALabel) {
    EXPECT_TRUE(LabelAfterTurn(BatchOutcome::Verified, true).print);
    EXPECT_FALSE(LabelAfterTurn(BatchOutcome::Verified, false).print);
    for (BatchOutcome outcome : EveryOutcome()) {
        if (outcome != BatchOutcome::Verified) {
            LabelDecision decision = LabelAfterTurn(outcome, true);
            EXPECT_FALSE(decision.print) << OutcomeWord(outcome);
            EXPECT_FALSE(decision.why.empty()) << OutcomeWord(outcome);
        }
    }
}

TEST(LabelOrder, AReprintIsOnlyForASerialWhoseLastOutcomeOnRecordIsVerified) {
    EXPECT_TRUE(LabelForReprint("ZQ000001", BatchOutcome::Verified).print);
    LabelDecision unknown = LabelForReprint("ZQ000009", std::nullopt);
    EXPECT_FALSE(unknown.print);
    EXPECT_NE(unknown.why.find("ZQ000009"), std::string::npos) << unknown.why;
    for (BatchOutcome outcome : EveryOutcome()) {
        if (outcome != BatchOutcome::Verified) {
            LabelDecision decision = LabelForReprint("ZQ000002", outcome);
            EXPECT_FALSE(decision.print) << OutcomeWord(outcome);
            EXPECT_NE(decision.why.find("ZQ000002"), std::string::npos) << decision.why;
        }
    }
}

// A label's date and time are the record's, at the sequence's offset when it has one: a board
// made at 07:00 on 1 January at +08:00 is labelled 1 January, as its week-1 serial says.
TEST(LabelValues, TheRecordsDateAndTimeAtTheSequencesOffset) {
    LedgerEntry record;
    record.time = "2026-12-31T23:00:05.123Z";
    LabelValues utc = LabelValuesOf(record);
    EXPECT_EQ(utc.date + " " + utc.time, "2026-12-31 23:00:05");
    LabelValues east = LabelValuesOf(record, 8 * 60);
    EXPECT_EQ(east.date + " " + east.time, "2027-01-01 07:00:05");
    record.time = "2027-03-01T02:30:00.000Z";
    LabelValues west = LabelValuesOf(record, -(3 * 60 + 30));
    EXPECT_EQ(west.date + " " + west.time, "2027-02-28 23:00:00");
}

TEST(PrinterTarget, EachFormIsReadAndEachMalformedOneSaysWhy) {
    Result<PrinterTarget> tcp = ParsePrinterTarget("tcp:printer7");
    ASSERT_TRUE(tcp);
    EXPECT_EQ(tcp->kind, PrinterKind::Tcp);
    EXPECT_EQ(tcp->host + ":" + std::to_string(tcp->port), "printer7:9100");
    Result<PrinterTarget> v6 = ParsePrinterTarget("tcp:[fe80::1]:6101");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host + " " + std::to_string(v6->port), "fe80::1 6101");
    Result<PrinterTarget> queue = ParsePrinterTarget("queue:Label Printer (USB)");
    ASSERT_TRUE(queue);
    EXPECT_EQ(queue->kind, PrinterKind::Queue);
    EXPECT_EQ(queue->name, "Label Printer (USB)");
    Result<PrinterTarget> folder = ParsePrinterTarget("folder:C:\\labels\\标签");
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->kind, PrinterKind::Folder);
    EXPECT_EQ(folder->name, "C:\\labels\\标签");

    struct Case {
        const char* text;
        const char* why;
    };
    const Case cases[] = {
        {"printer7", "is not tcp:HOST[:PORT], queue:NAME or folder:DIR"},
        {"lpt:1", "is not tcp:HOST[:PORT], queue:NAME or folder:DIR"},
        {"tcp:", "the printer's host name or address is missing or malformed"},
        {"tcp::9100", "the printer's host name or address is missing or malformed"},
        {"tcp:a b", "the printer's host name or address is missing or malformed"},
        {"tcp:host:", "the port is missing after the colon"},
        {"tcp:host:0", "the port \"0\" is not 1 to 65535"},
        {"tcp:host:65536", "the port \"65536\" is not 1 to 65535"},
        {"tcp:host:91x", "the port \"91x\" is not 1 to 65535"},
        {"tcp:fe80::1", "an IPv6 address goes in brackets: tcp:[ADDRESS]:PORT"},
        {"tcp:[::1", "an IPv6 address needs its closing ]"},
        {"tcp:[::1]9100", "only :PORT may follow the address"},
        {"queue:", "the queue's name is missing"},
        {"folder:", "the folder is missing"},
    };
    for (const Case& c : cases) {
        Result<PrinterTarget> parsed = ParsePrinterTarget(c.text);
        ASSERT_FALSE(parsed) << c.text;
        EXPECT_EQ(parsed.Err().message, "--printer: \"" + std::string(c.text) + "\": " + c.why);
    }
}

}  // namespace
