// A line's report as one self-contained HTML page: nothing outside it is referenced (no script,
// style sheet, font, image or link), so it opens the same from a mail, a share or a phone, and
// prints. Charts are inline SVG: boards verified per period and station, and yield per station;
// then the tables, the labels to reprint and the serials without a verified outcome. Every
// figure is also in a data-* attribute, for a script or a test to read.
#pragma once

#include <string>

#include "line_report.h"
#include "report_json.h"

std::string ReportHtml(const LineReport& report, const ReportScope& scope);

// Text made safe inside an element or a quoted attribute.
std::string HtmlEscaped(const std::string& text);
