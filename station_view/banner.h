// The line under the station's counters that says what the batch is doing, made from where the
// batch stands rather than from the last piece of news, so that no news overwrites a state that
// outranks it: the end over everything, a stop over a ledger that came back.
#pragma once

#include <optional>
#include <string>

#include "station_texts.h"

// The banner's colour, by meaning; a tile of the same meaning has the same colour.
enum class BannerLook { Info, Good, Warn, Fault };

struct Banner {
    std::string text;
    BannerLook look = BannerLook::Info;
};

struct BatchState {
    bool lockToConfirm = false;  // before the batch begins: the lock is asked first
    bool begun = false;
    bool audit = false;        // an audit station: its boards are read and compared, never written
    std::string resumedAfter;  // the log's last used serial, when resumed after it
    std::string loginWarning;  // the shared ledger's login could change or delete records
    int count = 0;             // --count
    bool ledgerLost = false;
    bool ledgerCameBack = false;  // lost once, back since
    // A leasing station while its ledger does not answer: the serials its lease has left, and
    // since when it works offline ("15:58:02", UTC); empty without a lease.
    std::optional<size_t> leaseLeft;
    std::string offlineSince;
    // Why no board starts until the next period (a period's counter used up), as the core says
    // it; "" once a board has taken a serial again.
    std::string serialsWaiting;
    bool stopAsked = false;  // Stop or closing the window
    bool closing = false;
    // Once the batch stops: why ("" when its count was reached), and whether as an interruption.
    std::optional<std::string> stopReason;
    bool interrupted = false;
    bool ended = false;
    bool recordLost = false;    // the batch ended because a record could not be written
    std::string recordSummary;  // then: how far the record reaches
};

Banner BannerFor(const Texts& texts, const BatchState& state);

// The core's messages are written for a console line; the banner shows them as sentences.
std::string Sentence(std::string text);
