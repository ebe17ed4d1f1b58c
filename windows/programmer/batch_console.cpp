#include "batch_console.h"

#include <cstdio>
#include <iterator>
#include <vector>

#include "console_output.h"
#include "json_line.h"

namespace {

// What the operator does about a label that did not print, in the board's own line.
constexpr const char* kLabelMissing = "label not printed: reprint";

// The outcomes a summary counts: the chips', then the labels' when the batch prints them.
std::vector<BatchOutcome> SummaryOutcomes(bool labels) {
    std::vector<BatchOutcome> outcomes(std::begin(kFinalOutcomes), std::end(kFinalOutcomes));
    if (labels) {
        outcomes.push_back(BatchOutcome::Labelled);
        outcomes.push_back(BatchOutcome::LabelFailed);
    }
    return outcomes;
}

}  // namespace

BatchConsole::BatchConsole(bool json, const std::string& station, bool labels,
                           const std::string& job)
    : json_(json),
      station_(station),
      labels_(labels),
      job_(job),
      stopped_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

void BatchConsole::ChipPhaseChanged(const std::string&, ChipPhase) {
    // A console line per chip is enough for a script; the phases are a window's to show.
}

void BatchConsole::ChipDone(const ChipReport& report) {
    if (json_) {
        nlohmann::ordered_json object = {
            {"port", report.port},
            {"serial", report.serial.empty() ? nlohmann::ordered_json(nullptr)
                                             : nlohmann::ordered_json(report.serial)},
            {"outcome", OutcomeWord(report.outcome)},
            {"status", report.status},
            {"seconds", static_cast<double>(static_cast<long>(report.seconds * 1000)) / 1000}};
        if (!station_.empty()) {
            object["station"] = station_;
        }
        if (report.label.state != LabelState::None) {
            bool printed = report.label.state == LabelState::Printed;
            object["label"] =
                OutcomeWord(printed ? BatchOutcome::Labelled : BatchOutcome::LabelFailed);
            object["label-status"] = report.label.status;
        }
        if (!job_.empty()) {
            object["job"] = job_;
        }
        WriteJsonLine(object);
        return;
    }
    char line[160];
    std::snprintf(line, sizeof(line), "%-8s %-10s %-19s %6.2f s  ", report.port.c_str(),
                  report.serial.empty() ? "-" : report.serial.c_str(), OutcomeWord(report.outcome),
                  report.seconds);
    std::string text = line + report.status;
    if (report.label.state == LabelState::NotPrinted) {
        text += "; " + std::string(kLabelMissing) + " (" + report.label.status + ")";
    }
    WriteLine(Stream::Out, text);
}

void BatchConsole::ChipLeftAlone(const std::string& port) {
    WriteLine(Stream::Err, "zq61prog: " + port + " left as it was: the batch is stopping");
}

void BatchConsole::Stopping(const std::string& reason) {
    if (!reason.empty()) {
        WriteLine(Stream::Err, "zq61prog: " + reason);
    }
    SetEvent(stopped_.Get());
}

void BatchConsole::SerialsWaiting(const std::string& why) {
    WriteLine(Stream::Err, "zq61prog: " + why);
}

void BatchConsole::Summary(const BatchTally& tally) {
    if (json_) {
        nlohmann::ordered_json counts = nlohmann::ordered_json::object();
        for (BatchOutcome outcome : SummaryOutcomes(labels_)) {
            counts[OutcomeWord(outcome)] = tally.Count(outcome);
        }
        WriteJsonLine({{"summary", counts}});
        return;
    }
    std::string counts;
    for (BatchOutcome outcome : SummaryOutcomes(labels_)) {
        counts += (counts.empty() ? "" : ", ") + std::string(OutcomeWord(outcome)) + " " +
                  std::to_string(tally.Count(outcome));
    }
    WriteLine(Stream::Out, "summary: " + counts);
}
