#include "tile_content.h"

TileContent WaitingTile() {
    return {TileLook::Waiting, "WAITING", "", "waiting for a board", "Plug in the next board"};
}

TileContent WorkingTile(ChipPhase phase) {
    if (phase == ChipPhase::Reading) {
        return {TileLook::Working, "WORKING", "reading", "reading the board", "Do not unplug"};
    }
    return {TileLook::Working, "WORKING", "writing", "writing and verifying", "Do not unplug"};
}

TileContent ResultTile(const ChipReport& report) {
    TileContent tile;
    switch (report.outcome) {
        case BatchOutcome::Verified:
            tile = {TileLook::Pass, "PASS", report.serial, "verified: " + report.status,
                    "Unplug it, plug the next"};
            // The board is good; only its label wants doing again, and the tile says so first.
            if (report.label.state == LabelState::NotPrinted) {
                tile.detail = "label not printed: reprint (" + report.label.status + ")";
                tile.advice = "Unplug it, reprint label";
            }
            break;
        case BatchOutcome::SkippedLocked:
            tile = {TileLook::Skipped, "SKIPPED", "locked",
                    "write-protected for ever; no serial used", "Set the board aside"};
            break;
        case BatchOutcome::SkippedProgrammed:
            tile = {TileLook::Skipped, "SKIPPED", "programmed",
                    "already programmed with serial " + report.serial + ", verified",
                    "Unplug it: it is done"};
            break;
        default:
            // Every outcome short of verified: the board is not good as it is.
            tile.look = TileLook::Fail;
            tile.state = "FAIL";
            tile.main = OutcomeWord(report.outcome);
            tile.detail = report.status;
            if (!report.serial.empty()) {
                tile.detail += " (serial " + report.serial + " used)";
            }
            tile.advice = "Set the board aside";
            break;
    }
    return tile;
}

TileContent LeftAloneTile() {
    return {TileLook::Skipped, "STOPPED", "unchanged",
            "the batch stopped before this board got a serial: nothing written",
            "Unplug it: not programmed"};
}
