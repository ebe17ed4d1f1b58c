#include "audit_tile.h"

#include "audit_text.h"

TileContent AuditTile(const AuditReport& report, const std::string& jobId) {
    std::string headline = AuditHeadline(report);
    if (OutcomeOf(report) == AuditOutcome::Audited) {
        // The serial field's value leads with the chip's serial ("ZQ000123, verified at st-a").
        std::string found = report.fields.empty() ? std::string() : report.fields[0].found;
        std::string serial = found.substr(0, found.find(','));
        return {TileLook::Pass, "PASS", serial, jobId.empty() ? headline : "matches job " + jobId,
                "Unplug it, plug the next"};
    }
    // The headline names each field that differs; the main line only says that one does, in a
    // word no wider than the batch's widest.
    return {TileLook::Fail, "FAIL", "differs", headline, "Set the board aside"};
}

TileContent AuditUnreadTile(const std::string& problem) {
    return {TileLook::Fail, "FAIL", "read-failed", problem, "Set the board aside"};
}
