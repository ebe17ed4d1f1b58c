#include "audit_console.h"

#include "audit_text.h"
#include "console_output.h"
#include "json_line.h"

namespace {

std::string LowerCase(std::string text) {
    for (char& c : text) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
}

}  // namespace

void ReportAudit(const CommandLine& line, const AuditBasis& basis, const std::string& port,
                 const AuditReport& report) {
    const char* word = AuditWord(OutcomeOf(report));
    if (line.json) {
        nlohmann::ordered_json fields = nlohmann::ordered_json::array();
        for (const AuditField& field : report.fields) {
            fields.push_back({{"field", field.field},
                              {"verdict", LowerCase(VerdictWord(field.verdict))},
                              {"expected", field.expected},
                              {"found", field.found},
                              {"note", field.note}});
        }
        nlohmann::ordered_json object = {{"port", port},
                                         {"outcome", word},
                                         {"against", basis.Against()},
                                         {"status", AuditHeadline(report)},
                                         {"fields", fields}};
        if (!basis.JobId().empty()) {
            object["job"] = basis.JobId();
        }
        if (basis.LeavesRecord()) {
            object["station"] = basis.Station();
        }
        WriteJsonLine(object);
        return;
    }
    WriteLine(Stream::Out,
              port + ": " + word + " against " + basis.Against() + " - " + AuditHeadline(report));
    for (const std::string& text : AuditLines(report)) {
        WriteLine(Stream::Out, text);
    }
}
