#include "banner.h"

#include "core_words.h"

namespace {

Banner StoppingBanner(const Texts& texts, const BatchState& state) {
    return {texts.Say(state.closing ? IDS_BANNER_CLOSING : IDS_BANNER_STOPPING), BannerLook::Warn};
}

Banner EndedBanner(const Texts& texts, const BatchState& state) {
    if (state.recordLost) {
        return {SayRecordLoss(texts, state.recordSummary), BannerLook::Fault};
    }
    if (state.stopReason && state.stopReason->empty()) {
        // A batch's counted boards are verified; an audit station's audited, whatever they showed.
        return {texts.Say(state.audit ? IDS_BANNER_AUDIT_COMPLETE : IDS_BANNER_COMPLETE,
                          {std::to_string(state.count)}),
                BannerLook::Good};
    }
    if (state.interrupted) {
        return {texts.Say(IDS_BANNER_STOPPED), BannerLook::Warn};
    }
    return {texts.Say(IDS_BANNER_STOPPED_FAULT, {SayReason(texts, state.stopReason.value_or(""))}),
            BannerLook::Fault};
}

// While the batch stops: a fault says why; a lost ledger outranks a stop asked for or a count
// reached, for the boards in progress wait on it.
std::optional<Banner> StopBanner(const Texts& texts, const BatchState& state) {
    if (state.stopReason && !state.stopReason->empty() && !state.interrupted) {
        return Banner{texts.Say(IDS_BANNER_STOPPING_FAULT, {SayReason(texts, *state.stopReason)}),
                      BannerLook::Fault};
    }
    if (state.ledgerLost) {
        return std::nullopt;
    }
    if (state.stopReason && state.stopReason->empty()) {
        return Banner{
            texts.Say(state.audit ? IDS_BANNER_AUDIT_COUNT_REACHED : IDS_BANNER_COUNT_REACHED,
                      {std::to_string(state.count)}),
            BannerLook::Good};
    }
    if (state.stopReason || state.stopAsked) {
        return StoppingBanner(texts, state);
    }
    return std::nullopt;
}

Banner RunningBanner(const Texts& texts, const BatchState& state) {
    if (state.ledgerLost && state.leaseLeft) {
        // A leasing station goes on from its lease: the operator is told with what, since when.
        return *state.leaseLeft > 0
                   ? Banner{texts.Say(IDS_BANNER_OFFLINE,
                                      {state.offlineSince, std::to_string(*state.leaseLeft)}),
                            BannerLook::Warn}
                   : Banner{texts.Say(IDS_BANNER_OFFLINE_USED_UP, {state.offlineSince}),
                            BannerLook::Fault};
    }
    if (state.ledgerLost) {
        // A held sequence row and a lost connection look the same from here: both are waited
        // for within the same bound, so the operator is told both.
        return {texts.Say(IDS_BANNER_LEDGER_LOST), BannerLook::Fault};
    }
    if (!state.serialsWaiting.empty()) {
        return {SayReason(texts, state.serialsWaiting), BannerLook::Warn};
    }
    if (state.ledgerCameBack) {
        return {texts.Say(IDS_BANNER_LEDGER_BACK), BannerLook::Info};
    }
    if (!state.resumedAfter.empty()) {
        return {texts.Say(IDS_BANNER_RESUMING, {state.resumedAfter}), BannerLook::Info};
    }
    if (!state.loginWarning.empty()) {
        // Said for as long as nothing more pressing is: the station works on, as it may.
        return {texts.Say(IDS_BANNER_LOGIN_WARNING), BannerLook::Warn};
    }
    return {texts.Say(IDS_BANNER_WAITING), BannerLook::Info};
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

Banner BannerFor(const Texts& texts, const BatchState& state) {
    if (!state.begun) {
        return {texts.Say(state.lockToConfirm ? IDS_BANNER_CONFIRM_LOCK : IDS_BANNER_STARTING),
                state.lockToConfirm ? BannerLook::Warn : BannerLook::Info};
    }
    if (state.ended) {
        return EndedBanner(texts, state);
    }
    if (std::optional<Banner> stopping = StopBanner(texts, state)) {
        return *stopping;
    }
    return RunningBanner(texts, state);
}
