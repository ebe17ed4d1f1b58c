#include "report_html.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "report_outcomes.h"

namespace {

constexpr const char* kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e",
                                    "#9467bd", "#8c564b", "#e377c2", "#17becf"};

constexpr const char* kStyle =
    "body{font-family:system-ui,-apple-system,'Segoe UI',sans-serif;margin:0 auto;padding:12px;"
    "max-width:1100px;color:#222}h1{font-size:1.4em;margin:.2em 0}h2{font-size:1.1em;"
    "margin:1.2em 0 .4em}p.scope{color:#555;margin:.2em 0}.scroll{overflow-x:auto}"
    "table{border-collapse:collapse;font-size:.9em}th,td{border:1px solid #ccc;padding:3px 6px;"
    "text-align:right;white-space:nowrap}th:first-child,th:nth-child(2),td:first-child,td.text{"
    "text-align:left}"
    "svg{max-width:100%;height:auto;display:block}svg text{font-size:11px;fill:#333}"
    ".legend span{display:inline-block;margin-right:1em}.legend i{display:inline-block;width:.8em;"
    "height:.8em;margin-right:.3em}ul.serials{columns:10em;padding-left:1.2em}"
    "@media print{body{max-width:none}section{break-inside:avoid}.scroll{overflow:visible}}";

std::string Attribute(const std::string& name, const std::string& value) {
    return " data-" + name + "=\"" + HtmlEscaped(value) + "\"";
}

std::string Number(double value) {
    return nlohmann::ordered_json(value).dump();
}

std::string YieldText(const std::optional<double>& yield) {
    if (!yield) {
        return "-";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%.1f %%", *yield * 100.0);
    return text;
}

// Each station's records over the whole report, by name.
std::map<std::string, std::map<BatchOutcome, uint64_t>> StationTotals(const LineReport& report) {
    std::map<std::string, std::map<BatchOutcome, uint64_t>> totals;
    for (const PeriodCounts& period : report.periods) {
        for (const auto& [outcome, count] : period.records) {
            totals[period.station][outcome] += count;
        }
    }
    return totals;
}

uint64_t Verified(const PeriodCounts& period) {
    const auto found = period.records.find(BatchOutcome::Verified);
    return found == period.records.end() ? 0 : found->second;
}

std::string Legend(const std::vector<std::string>& stations) {
    std::string html = "<p class=\"legend\">";
    for (size_t i = 0; i < stations.size(); i++) {
        html += std::string("<span><i style=\"background:") + kColours[i % 8] + "\"></i>" +
                HtmlEscaped(stations[i]) + "</span>";
    }
    return html + "</p>";
}

// Bars of boards verified, a group per period, a bar per station.
std::string VerifiedChart(const LineReport& report, const std::vector<std::string>& stations) {
    std::vector<std::string> periods;
    uint64_t most = 1;
    for (const PeriodCounts& period : report.periods) {
        if (periods.empty() || periods.back() != period.period) {
            periods.push_back(period.period);
        }
        most = std::max(most, Verified(period));
    }
    const int bar = 12, gap = 14, left = 40, top = 10, height = 160;
    const int group = static_cast<int>(stations.size()) * bar + gap;
    const int width = std::max(320, left + static_cast<int>(periods.size()) * group + 10);
    std::string svg = "<svg id=\"verified-chart\" role=\"img\" viewBox=\"0 0 " +
                      std::to_string(width) + " " + std::to_string(height + 60) + "\" width=\"" +
                      std::to_string(width) + "\"><title>Boards verified per " +
                      "period and station</title>";
    svg += "<text x=\"2\" y=\"" + std::to_string(top + 8) + "\">" + std::to_string(most) +
           "</text><text x=\"2\" y=\"" + std::to_string(top + height) + "\">0</text>";
    svg += "<line x1=\"" + std::to_string(left - 2) + "\" y1=\"" + std::to_string(top + height) +
           "\" x2=\"" + std::to_string(width) + "\" y2=\"" + std::to_string(top + height) +
           "\" stroke=\"#888\"/>";
    for (const PeriodCounts& period : report.periods) {
        const size_t p = std::find(periods.begin(), periods.end(), period.period) - periods.begin();
        const size_t s =
            std::find(stations.begin(), stations.end(), period.station) - stations.begin();
        const uint64_t verified = Verified(period);
        const int h = static_cast<int>(verified * height / most);
        svg += "<rect class=\"bar\"" + Attribute("station", period.station) +
               Attribute("period", period.period) +
               Attribute("verified", std::to_string(verified)) + " x=\"" +
               std::to_string(left + static_cast<int>(p) * group + static_cast<int>(s) * bar) +
               "\" y=\"" + std::to_string(top + height - h) + "\" width=\"" +
               std::to_string(bar - 2) + "\" height=\"" + std::to_string(h) + "\" fill=\"" +
               kColours[s % 8] + "\"><title>" + HtmlEscaped(period.station) + " " + period.period +
               ": " + std::to_string(verified) + " verified</title></rect>";
    }
    for (size_t p = 0; p < periods.size(); p++) {
        const int x = left + static_cast<int>(p) * group;
        svg += "<text transform=\"translate(" + std::to_string(x) + "," +
               std::to_string(top + height + 12) + ") rotate(30)\">" + periods[p].substr(5, 11) +
               "</text>";
    }
    return "<div class=\"scroll\">" + svg + "</svg></div>" + Legend(stations);
}

// A bar per station, its yield over the whole report.
std::string YieldChart(const LineReport& report) {
    const auto totals = StationTotals(report);
    const int row = 24, left = 90, length = 300;
    std::string svg = "<svg id=\"yield-chart\" role=\"img\" viewBox=\"0 0 " +
                      std::to_string(left + length + 70) + " " +
                      std::to_string(static_cast<int>(totals.size()) * row + 8) + "\" width=\"" +
                      std::to_string(left + length + 70) + "\"><title>Yield per station</title>";
    int y = 4;
    for (const auto& [station, records] : totals) {
        const std::optional<double> yield = YieldOf(records);
        svg += "<g class=\"yield\"" + Attribute("station", station) +
               Attribute("yield", yield ? Number(*yield) : "null") + "><text x=\"0\" y=\"" +
               std::to_string(y + 15) + "\">" + HtmlEscaped(station) + "</text>";
        const int w = yield ? static_cast<int>(*yield * length) : 0;
        svg += "<rect x=\"" + std::to_string(left) + "\" y=\"" + std::to_string(y + 3) +
               "\" width=\"" + std::to_string(length) +
               "\" height=\"16\" fill=\"#eee\"/><rect x=\"" + std::to_string(left) + "\" y=\"" +
               std::to_string(y + 3) + "\" width=\"" + std::to_string(w) +
               "\" height=\"16\" fill=\"#2ca02c\"/><text x=\"" + std::to_string(left + length + 6) +
               "\" y=\"" + std::to_string(y + 15) + "\">" + YieldText(yield) + "</text></g>";
        y += row;
    }
    return svg + "</svg>";
}

std::string PeriodTable(const LineReport& report, ReportPeriod by) {
    std::string html = "<div class=\"scroll\"><table id=\"periods\"><tr><th>" +
                       std::string(by == ReportPeriod::Day ? "day" : "hour") +
                       " (UTC)</th><th>station</th>";
    for (BatchOutcome outcome : kReportedOutcomes) {
        html += std::string("<th>") + OutcomeWord(outcome) + "</th>";
    }
    html += "<th>yield</th></tr>";
    for (const PeriodCounts& period : report.periods) {
        const std::optional<double> yield = YieldOf(period.records);
        std::string row, cells;
        for (BatchOutcome outcome : kReportedOutcomes) {
            const auto found = period.records.find(outcome);
            const std::string count =
                std::to_string(found == period.records.end() ? 0 : found->second);
            row += Attribute(OutcomeWord(outcome), count);
            cells += "<td>" + count + "</td>";
        }
        html += "<tr class=\"period\"" + Attribute("station", period.station) +
                Attribute("period", period.period) + row +
                Attribute("yield", yield ? Number(*yield) : "null") + "><td>" + period.period +
                "</td><td class=\"text\">" + HtmlEscaped(period.station) + "</td>" + cells +
                "<td>" + YieldText(yield) + "</td></tr>";
    }
    return html + "</table></div>";
}

std::string SerialList(const char* id, const std::vector<std::string>& serials) {
    if (serials.empty()) {
        return std::string("<p id=\"") + id + "\">None.</p>";
    }
    std::string html = std::string("<ul class=\"serials\" id=\"") + id + "\">";
    for (const std::string& serial : serials) {
        html += "<li" + Attribute("serial", serial) + ">" + HtmlEscaped(serial) + "</li>";
    }
    return html + "</ul>";
}

std::string FailureTable(const LineReport& report) {
    if (report.failures.empty()) {
        return "<p id=\"failures\">None.</p>";
    }
    std::string html =
        "<div class=\"scroll\"><table id=\"failures\"><tr><th>status</th><th>records</th></tr>";
    for (const FailureCount& failure : report.failures) {
        html += "<tr class=\"failure\"" + Attribute("status", failure.status) +
                Attribute("count", std::to_string(failure.count)) + "><td class=\"text\">" +
                HtmlEscaped(failure.status) + "</td><td>" + std::to_string(failure.count) +
                "</td></tr>";
    }
    return html + "</table></div>";
}

std::string Header(const ReportScope& scope) {
    const std::string range =
        (scope.from.empty() ? std::string("the first record") : scope.from) + " to " +
        (scope.to.empty() ? std::string("the last record") : scope.to + " (not included)");
    return "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\"><meta "
           "name=\"viewport\" content=\"width=device-width, initial-scale=1\"><title>Line "
           "report: " +
           HtmlEscaped(scope.source) + "</title><style>" + kStyle + "</style></head><body" +
           Attribute("source", scope.source) + Attribute("by", PeriodWord(scope.period)) +
           Attribute("from", scope.from) + Attribute("to", scope.to) +
           Attribute("made", scope.made) + "><h1>Line report: " + HtmlEscaped(scope.source) +
           "</h1><p class=\"scope\">Per " + PeriodWord(scope.period) + " (UTC), from " +
           HtmlEscaped(range) + ".</p><p class=\"scope\">Made " + HtmlEscaped(scope.made) + ".</p>";
}

}  // namespace

std::string HtmlEscaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string ReportHtml(const LineReport& report, const ReportScope& scope) {
    std::vector<std::string> stations;
    for (const auto& [station, records] : StationTotals(report)) {
        stations.push_back(station);
    }
    std::string html = Header(scope);
    html += "<section><h2>Boards verified per " + std::string(PeriodWord(scope.period)) +
            " and station</h2>" + VerifiedChart(report, stations) + "</section>";
    html += "<section><h2>Yield per station (verified / started)</h2>" + YieldChart(report) +
            "</section>";
    html += "<section><h2>Per station and " + std::string(PeriodWord(scope.period)) + "</h2>" +
            PeriodTable(report, scope.period) + "</section>";
    html += "<section><h2>Labels to reprint</h2>" + SerialList("reprint", report.reprint) +
            "</section>";
    html += "<section><h2>Used without a verified outcome</h2>" +
            SerialList("unverified", report.unverified) + "</section>";
    html += "<section><h2>Failures by status</h2>" + FailureTable(report) + "</section>";
    return html + "</body></html>\n";
}
