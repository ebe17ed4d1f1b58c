#include "banner.h"

namespace {

// What a batch's counted boards are; an audit station's are audited, whatever they showed.
const char* Counted(const BatchState& state) {
    return state.audit ? " boards audited" : " boards verified";
}

Banner StoppingBanner(const BatchState& state) {
    return {std::string(state.closing ? "Closing" : "Stopping") +
                ": no new board starts; the boards in progress finish and are recorded first.",
            BannerLook::Warn};
}

Banner EndedBanner(const BatchState& state) {
    if (state.recordLost) {
        return {Sentence(state.recordSummary), BannerLook::Fault};
    }
    if (state.stopReason && state.stopReason->empty()) {
        return {std::string(state.audit ? "The audit" : "The batch") +
                    " is complete: " + std::to_string(state.count) + Counted(state) +
                    ". No more boards start; close the window to end.",
                BannerLook::Good};
    }
    if (state.interrupted) {
        return {
            "Stopped: the boards in progress finished and are recorded. Close the window to "
            "end.",
            BannerLook::Warn};
    }
    return {Sentence(state.stopReason.value_or("")) +
                " The batch has stopped; the boards in progress finished.",
            BannerLook::Fault};
}

// While the batch stops: a fault says why; a lost ledger outranks a stop asked for or a count
// reached, for the boards in progress wait on it.
std::optional<Banner> StopBanner(const BatchState& state) {
    if (state.stopReason && !state.stopReason->empty() && !state.interrupted) {
        return Banner{Sentence(*state.stopReason) + " No new board starts.", BannerLook::Fault};
    }
    if (state.ledgerLost) {
        return std::nullopt;
    }
    if (state.stopReason && state.stopReason->empty()) {
        return Banner{"Complete: " + std::to_string(state.count) + Counted(state) +
                          ", as many as asked for. No more boards start.",
                      BannerLook::Good};
    }
    if (state.stopReason || state.stopAsked) {
        return StoppingBanner(state);
    }
    return std::nullopt;
}

Banner RunningBanner(const BatchState& state) {
    if (state.ledgerLost) {
        // A held sequence row and a lost connection look the same from here: both are waited
        // for within the same bound, so the operator is told both.
        return {
            "The ledger does not answer (its connection is lost, or another station holds the "
            "sequence): no board starts until it does.",
            BannerLook::Fault};
    }
    if (!state.serialsWaiting.empty()) {
        return {Sentence(state.serialsWaiting), BannerLook::Warn};
    }
    if (state.ledgerCameBack) {
        return {"The ledger answers again: boards start again.", BannerLook::Info};
    }
    std::string waiting = "Waiting for boards: plug a board into any port.";
    if (!state.resumedAfter.empty()) {
        waiting = "Resuming after " + state.resumedAfter + ", the last serial the log has used. " +
                  waiting;
    }
    if (!state.loginWarning.empty()) {
        // Said for as long as nothing more pressing is: the station works on, as it may.
        return {
            "Warning: this station's login could change or delete the line's records; ask "
            "for a station login. " +
                waiting,
            BannerLook::Warn};
    }
    return {waiting, BannerLook::Info};
}

}  // namespace

std::string Sentence(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    if (!text.empty() && text.back() != '.') {
        text += '.';
    }
    return text;
}

Banner BannerFor(const BatchState& state) {
    if (!state.begun) {
        if (state.lockToConfirm) {
            return {"Confirm the lock to start: every board of this batch is locked for ever.",
                    BannerLook::Warn};
        }
        return {"Starting.", BannerLook::Info};
    }
    if (state.ended) {
        return EndedBanner(state);
    }
    if (std::optional<Banner> stopping = StopBanner(state)) {
        return *stopping;
    }
    return RunningBanner(state);
}
