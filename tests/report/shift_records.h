// A line's records over several hours and two stations, their times made here (not the clock's),
// and a report's figures as one line of text a failed comparison shows whole.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "line_report.h"

namespace report_test {

inline LedgerEntry Record(const char* time, const char* station, const char* serial,
                          BatchOutcome outcome, const char* status = "") {
    LedgerEntry entry;
    entry.time = time;
    entry.station = station;
    entry.port = "COM21";
    entry.serial = serial;
    entry.vid = "2E1B";
    entry.pid = "6C04";
    entry.product = "usb2.0 serial";
    entry.outcome = outcome;
    entry.status = status;
    return entry;
}

// A1 verified and labelled; A2 failed; A3 started on the hour, verified, its label failed; B1
// verified a millisecond before the hour, its label failed and was reprinted; B2 started and
// nothing more; B3 did not verify; A4 the next day.
inline std::vector<LedgerEntry> ShiftRecords() {
    using B = BatchOutcome;
    return {
        Record("2026-12-07T10:15:00.000Z", "st-a", "ZQ000001", B::Started),
        Record("2026-12-07T10:15:01.250Z", "st-a", "ZQ000001", B::Verified, "写入成功"),
        Record("2026-12-07T10:15:02.000Z", "st-a", "ZQ000001", B::Labelled, "printer"),
        Record("2026-12-07T10:40:00.000Z", "st-a", "ZQ000002", B::Started),
        Record("2026-12-07T10:40:01.000Z", "st-a", "ZQ000002", B::Failed, "写入失败"),
        Record("2026-12-07T10:59:59.999Z", "st-b", "ZQ000101", B::Started),
        Record("2026-12-07T10:59:59.999Z", "st-b", "ZQ000101", B::Verified, "写入成功"),
        Record("2026-12-07T10:59:59.999Z", "st-b", "ZQ000101", B::LabelFailed, "no answer"),
        Record("2026-12-07T11:00:00.000Z", "st-a", "ZQ000003", B::Started),
        Record("2026-12-07T11:00:00.500Z", "st-a", "ZQ000003", B::Verified, "写入成功"),
        Record("2026-12-07T11:00:01.000Z", "st-a", "ZQ000003", B::LabelFailed, "no answer"),
        Record("2026-12-07T11:05:00.000Z", "st-b", "ZQ000101", B::LabelReprinted, "torn"),
        Record("2026-12-07T11:20:00.000Z", "st-b", "ZQ000102", B::Started),
        Record("2026-12-07T12:10:00.000Z", "st-b", "ZQ000103", B::Started),
        Record("2026-12-07T12:10:01.000Z", "st-b", "ZQ000103", B::Unverified, "校验失败"),
        Record("2026-12-08T09:00:00.000Z", "st-a", "ZQ000004", B::Started),
        Record("2026-12-08T09:00:01.000Z", "st-a", "ZQ000004", B::Verified, "写入成功"),
    };
}

// "period station word count ... yield Y; ...", then the failures, reprints and unverified.
inline std::string Figures(const LineReport& report) {
    std::string text;
    for (const PeriodCounts& period : report.periods) {
        text += period.period + " " + period.station;
        for (const auto& [outcome, count] : period.records) {
            text += std::string(" ") + OutcomeWord(outcome) + " " + std::to_string(count);
        }
        const std::optional<double> yield = YieldOf(period.records);
        char number[16];
        std::snprintf(number, sizeof number, "%.2f", yield ? *yield : -1.0);
        text += std::string(" yield ") + (yield ? number : "null") + "; ";
    }
    text += "| failures:";
    for (const FailureCount& failure : report.failures) {
        text += " " + failure.status + " " + std::to_string(failure.count);
    }
    text += " | reprint:";
    for (const std::string& serial : report.reprint) {
        text += " " + serial;
    }
    text += " | unverified:";
    for (const std::string& serial : report.unverified) {
        text += " " + serial;
    }
    return text;
}

// What ShiftRecords report by hour over the whole record, and from 11:00 to 12:00.
inline const char* kWholeByHour =
    "2026-12-07T10:00Z st-a started 2 verified 1 failed 1 labelled 1 yield 0.50; "
    "2026-12-07T10:00Z st-b started 1 verified 1 label-failed 1 yield 1.00; "
    "2026-12-07T11:00Z st-a started 1 verified 1 label-failed 1 yield 1.00; "
    "2026-12-07T11:00Z st-b started 1 label-reprinted 1 yield 0.00; "
    "2026-12-07T12:00Z st-b started 1 unverified 1 yield 0.00; "
    "2026-12-08T09:00Z st-a started 1 verified 1 yield 1.00; "
    "| failures: no answer 2 写入失败 1 校验失败 1 | reprint: ZQ000003 | unverified: ZQ000002 "
    "ZQ000102 ZQ000103";
inline const char* kElevenToNoon =
    "2026-12-07T11:00Z st-a started 1 verified 1 label-failed 1 yield 1.00; "
    "2026-12-07T11:00Z st-b started 1 label-reprinted 1 yield 0.00; "
    "| failures: no answer 1 | reprint: ZQ000003 | unverified: ZQ000102";
// From 10:59:59 to 11:00: B1's records a millisecond before the hour, not A3's on it.
inline const char* kLastSecondBeforeEleven =
    "2026-12-07T10:00Z st-b started 1 verified 1 label-failed 1 yield 1.00; "
    "| failures: no answer 1 | reprint: ZQ000101 | unverified:";
inline const char* kWholeByDay =
    "2026-12-07T00:00Z st-a started 3 verified 2 failed 1 labelled 1 label-failed 1 yield 0.67; "
    "2026-12-07T00:00Z st-b started 3 verified 1 unverified 1 label-failed 1 label-reprinted 1 "
    "yield 0.33; "
    "2026-12-08T00:00Z st-a started 1 verified 1 yield 1.00; "
    "| failures: no answer 2 写入失败 1 校验失败 1 | reprint: ZQ000003 | unverified: ZQ000002 "
    "ZQ000102 ZQ000103";

}  // namespace report_test
