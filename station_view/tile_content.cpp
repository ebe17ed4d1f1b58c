#include "tile_content.h"

namespace {

// A failed board's outcome in the tile's large type; the log keeps the outcome's own word.
std::string OutcomeText(const Texts& texts, BatchOutcome outcome) {
    switch (outcome) {
        case BatchOutcome::Unverified:
            return texts.Say(IDS_OUTCOME_UNVERIFIED);
        case BatchOutcome::Locked:
            return texts.Say(IDS_OUTCOME_LOCKED);
        case BatchOutcome::ReadFailed:
            return texts.Say(IDS_OUTCOME_READ_FAILED);
        default:
            return texts.Say(IDS_OUTCOME_FAILED);
    }
}

}  // namespace

TileContent WaitingTile(const Texts& texts) {
    return {TileLook::Waiting, texts.Say(IDS_STATE_WAITING), "", texts.Say(IDS_TILE_WAITING_DETAIL),
            texts.Say(IDS_TILE_WAITING_ADVICE)};
}

TileContent WorkingTile(const Texts& texts, ChipPhase phase) {
    bool reading = phase == ChipPhase::Reading;
    return {TileLook::Working, texts.Say(IDS_STATE_WORKING),
            texts.Say(reading ? IDS_TILE_READING : IDS_TILE_WRITING),
            texts.Say(reading ? IDS_TILE_READING_DETAIL : IDS_TILE_WRITING_DETAIL),
            texts.Say(IDS_TILE_DO_NOT_UNPLUG)};
}

TileContent ResultTile(const Texts& texts, const ChipReport& report) {
    TileContent tile;
    switch (report.outcome) {
        case BatchOutcome::Verified:
            tile = {TileLook::Pass, texts.Say(IDS_STATE_PASS), report.serial,
                    texts.Say(IDS_TILE_VERIFIED, {report.status}), texts.Say(IDS_TILE_NEXT_BOARD)};
            // The board is good; only its label wants doing again, and the tile says so first.
            if (report.label.state == LabelState::NotPrinted) {
                tile.detail = texts.Say(IDS_TILE_LABEL_NOT_PRINTED, {report.label.status});
                tile.advice = texts.Say(IDS_TILE_REPRINT_ADVICE);
            }
            break;
        case BatchOutcome::SkippedLocked:
            tile = {TileLook::Skipped, texts.Say(IDS_STATE_SKIPPED), texts.Say(IDS_TILE_LOCKED),
                    texts.Say(IDS_TILE_LOCKED_DETAIL), texts.Say(IDS_TILE_SET_ASIDE)};
            break;
        case BatchOutcome::SkippedProgrammed:
            tile = {TileLook::Skipped, texts.Say(IDS_STATE_SKIPPED), texts.Say(IDS_TILE_PROGRAMMED),
                    texts.Say(IDS_TILE_PROGRAMMED_DETAIL, {report.serial}),
                    texts.Say(IDS_TILE_DONE_ADVICE)};
            break;
        default:
            // Every outcome short of verified: the board is not good as it is.
            tile.look = TileLook::Fail;
            tile.state = texts.Say(IDS_STATE_FAIL);
            tile.main = OutcomeText(texts, report.outcome);
            tile.detail = report.serial.empty()
                              ? report.status
                              : texts.Say(IDS_TILE_FAILED_DETAIL, {report.status, report.serial});
            tile.advice = texts.Say(IDS_TILE_SET_ASIDE);
            break;
    }
    return tile;
}

TileContent LeftAloneTile(const Texts& texts) {
    return {TileLook::Skipped, texts.Say(IDS_STATE_STOPPED), texts.Say(IDS_TILE_UNCHANGED),
            texts.Say(IDS_TILE_UNCHANGED_DETAIL), texts.Say(IDS_TILE_NOT_PROGRAMMED_ADVICE)};
}

std::vector<std::string> StateWords(const Texts& texts) {
    std::vector<std::string> words;
    for (int id : {IDS_STATE_WAITING, IDS_STATE_WORKING, IDS_STATE_PASS, IDS_STATE_FAIL,
                   IDS_STATE_SKIPPED, IDS_STATE_STOPPED}) {
        words.push_back(texts.Say(id));
    }
    return words;
}

std::vector<std::string> MainTexts(const Texts& texts) {
    std::vector<std::string> words;
    for (int id : {IDS_TILE_READING, IDS_TILE_WRITING, IDS_TILE_LOCKED, IDS_TILE_PROGRAMMED,
                   IDS_TILE_UNCHANGED, IDS_OUTCOME_UNVERIFIED, IDS_OUTCOME_LOCKED,
                   IDS_OUTCOME_FAILED, IDS_OUTCOME_READ_FAILED, IDS_AUDIT_DIFFERS}) {
        words.push_back(texts.Say(id));
    }
    return words;
}

std::vector<std::string> AdviceTexts(const Texts& texts) {
    std::vector<std::string> words;
    for (int id : {IDS_TILE_WAITING_ADVICE, IDS_TILE_DO_NOT_UNPLUG, IDS_TILE_NEXT_BOARD,
                   IDS_TILE_REPRINT_ADVICE, IDS_TILE_SET_ASIDE, IDS_TILE_DONE_ADVICE,
                   IDS_TILE_NOT_PROGRAMMED_ADVICE}) {
        words.push_back(texts.Say(id));
    }
    return words;
}
