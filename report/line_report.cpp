#include "line_report.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "report_outcomes.h"

std::optional<double> YieldOf(const std::map<BatchOutcome, uint64_t>& records) {
    const auto started = records.find(BatchOutcome::Started);
    if (started == records.end() || started->second == 0) {
        return std::nullopt;
    }
    const auto verified = records.find(BatchOutcome::Verified);
    const uint64_t done = verified == records.end() ? 0 : verified->second;
    return static_cast<double>(done) / static_cast<double>(started->second);
}

namespace {

bool IsLabel(BatchOutcome outcome) {
    return outcome == BatchOutcome::Labelled || outcome == BatchOutcome::LabelFailed ||
           outcome == BatchOutcome::LabelReprinted;
}

}  // namespace

LineReport ReportOfRecords(const std::vector<LedgerEntry>& records, ReportPeriod period,
                           const ReportRange& range, const std::string& station) {
    std::map<std::pair<std::string, std::string>, std::map<BatchOutcome, uint64_t>> periods;
    std::map<std::string, uint64_t> failures;
    std::map<std::string, BatchOutcome> lastLabel;
    std::set<std::string> started, verified;
    for (const LedgerEntry& record : records) {
        if (record.outcome == BatchOutcome::Verified) {
            verified.insert(record.serial);
        }
        const std::optional<int64_t> at = ParseRecordTime(record.time);
        if (at ? !range.Holds(*at) : !range.Open()) {
            continue;
        }
        if (at) {
            const std::string name = record.station.empty() ? station : record.station;
            periods[{MinuteStamp(PeriodStart(*at, period)), name}][record.outcome]++;
        }
        if (IsFailure(record.outcome)) {
            failures[record.status]++;
        }
        if (IsLabel(record.outcome)) {
            lastLabel[record.serial] = record.outcome;
        }
        if (record.outcome == BatchOutcome::Started) {
            started.insert(record.serial);
        }
    }
    LineReport report;
    for (auto& [key, counts] : periods) {
        report.periods.push_back({key.second, key.first, std::move(counts)});
    }
    for (const auto& [status, count] : failures) {
        report.failures.push_back({status, count});
    }
    for (const auto& [serial, outcome] : lastLabel) {
        if (outcome == BatchOutcome::LabelFailed) {
            report.reprint.push_back(serial);
        }
    }
    for (const std::string& serial : started) {
        if (verified.count(serial) == 0) {
            report.unverified.push_back(serial);
        }
    }
    SortReport(report);
    return report;
}

void SortReport(LineReport& report) {
    std::sort(report.periods.begin(), report.periods.end(),
              [](const PeriodCounts& a, const PeriodCounts& b) {
                  return std::tie(a.period, a.station) < std::tie(b.period, b.station);
              });
    std::sort(report.failures.begin(), report.failures.end(),
              [](const FailureCount& a, const FailureCount& b) {
                  return a.count != b.count ? a.count > b.count : a.status < b.status;
              });
    std::sort(report.reprint.begin(), report.reprint.end());
    std::sort(report.unverified.begin(), report.unverified.end());
}
