// Writes the report of a shift's records (tests/report/shift_records.h, and a station and a
// status text that are markup) as the HTML page and the JSON object, for a browser to open and
// check_page.py to compare: report_page PAGE.html REPORT.json
#include <fstream>
#include <iostream>

#include "report_html.h"
#include "report_json.h"
#include "shift_records.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: report_page PAGE.html REPORT.json\n";
        return 2;
    }
    std::vector<LedgerEntry> records = report_test::ShiftRecords();
    // Text the page must show as text, never as markup that loads or runs something.
    records.push_back(report_test::Record("2026-12-07T12:30:00.000Z", "<b>st-c</b>", "ZQ000201",
                                          BatchOutcome::Started));
    records.push_back(report_test::Record(
        "2026-12-07T12:30:01.000Z", "<b>st-c</b>", "ZQ000201", BatchOutcome::Failed,
        "<img src=\"https://example.com/x.png\" onerror=\"x()\">"));
    const LineReport report = ReportOfRecords(records, ReportPeriod::Hour, {}, "");
    const ReportScope scope{"the test's shift", ReportPeriod::Hour, "", "",
                            "2026-12-08T14:00:00.000Z"};
    std::ofstream(argv[1], std::ios::binary) << ReportHtml(report, scope);
    std::ofstream(argv[2], std::ios::binary) << ReportJson(report, scope).dump() << "\n";
    return 0;
}
