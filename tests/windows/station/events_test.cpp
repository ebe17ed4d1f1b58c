// The station's news of a shared ledger's connection, told before the window's news exists (the
// lock's question is open, say): a loss still lost when the news begins is given to it; a loss
// that has ended by then is not news.
#include <gtest/gtest.h>

#include "station_events.h"

namespace {

std::vector<std::string> LedgerNews(StationEvents& events) {
    std::vector<std::string> news;
    for (const StationEvent& event : events.Take()) {
        if (event.kind == StationEventKind::Ledger) {
            news.push_back(event.text);
        }
    }
    return news;
}

TEST(StationEvents, ALossToldBeforeTheWindowIsShownOnceItIsThere) {
    TellLedgerConnection(false);
    {
        // No window: the posted message goes to this thread's queue, unread.
        StationEvents events(nullptr, WM_APP, true);
        EXPECT_EQ(LedgerNews(events), (std::vector<std::string>{"lost"}));
        TellLedgerConnection(true);
        EXPECT_EQ(LedgerNews(events), (std::vector<std::string>{"back"}));
    }
    TellLedgerConnection(false);
    TellLedgerConnection(true);
    StationEvents later(nullptr, WM_APP, true);
    EXPECT_TRUE(LedgerNews(later).empty());
}

}  // namespace
