#include "report_json.h"

#include "report_outcomes.h"

const char* PeriodWord(ReportPeriod period) {
    return period == ReportPeriod::Day ? "day" : "hour";
}

nlohmann::ordered_json PeriodJson(const PeriodCounts& period) {
    nlohmann::ordered_json object = {{"station", period.station}, {"period", period.period}};
    for (BatchOutcome outcome : kReportedOutcomes) {
        const auto count = period.records.find(outcome);
        object[OutcomeWord(outcome)] = count == period.records.end() ? 0 : count->second;
    }
    const std::optional<double> yield = YieldOf(period.records);
    object["yield"] = yield ? nlohmann::ordered_json(*yield) : nlohmann::ordered_json(nullptr);
    return object;
}

nlohmann::ordered_json ReportJson(const LineReport& report, const ReportScope& scope) {
    nlohmann::ordered_json periods = nlohmann::ordered_json::array();
    for (const PeriodCounts& period : report.periods) {
        periods.push_back(PeriodJson(period));
    }
    nlohmann::ordered_json failures = nlohmann::ordered_json::array();
    for (const FailureCount& failure : report.failures) {
        failures.push_back({{"status", failure.status}, {"count", failure.count}});
    }
    auto time = [](const std::string& text) {
        return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
    };
    return {{"periods", periods},
            {"reprint", report.reprint},
            {"unverified_serials", report.unverified},
            {"failures", failures},
            {"by", PeriodWord(scope.period)},
            {"from", time(scope.from)},
            {"to", time(scope.to)}};
}
