// A batch's ledger in a line's shared SQL database: every station takes its serials from one
// sequence row, inside a transaction, and records every chip there. A serial is handed out only
// once its `started` record is committed, so the database's own locks and constraints keep it
// from ever reaching two boards, whichever station, crash or restart.
//
// One connection, guarded by a mutex: a station's workers take turns on it. When the connection
// is lost, every call tries to connect again until the bound after the loss has passed, keeping
// the outcomes it could not record and writing them, in order, once it is back.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ledger.h"
#include "ledger_operations.h"
#include "odbc_session.h"

// The serial at a position of a sequence (position 0 is the first serial itself), or empty when
// the sequence has run out before it. The production core's serial rules supply it.
using SerialAt =
    std::function<std::optional<std::string>(const std::string& firstSerial, uint64_t position)>;

struct SqlLedgerOptions {
    // How long after losing the connection the ledger keeps trying to reconnect before a call
    // answers NotRecorded or false.
    std::chrono::milliseconds reconnectBound = std::chrono::seconds(60);
    std::chrono::milliseconds retryInterval = std::chrono::milliseconds(250);
    int loginTimeoutSeconds = 5;
    // Told when the connection is lost (false) and when it is back (true). Called from the
    // worker that noticed, with no lock of the ledger held.
    std::function<void(bool connected)> onConnection;
};

class SqlLedger : public Ledger {
public:
    // Connects, checks the layout and reads the sequence. The station's name goes into every
    // record that names none.
    static LedgerResult<std::unique_ptr<SqlLedger>> Open(const std::string& connection,
                                                         const std::string& sequence,
                                                         const std::string& station,
                                                         SerialAt serialAt,
                                                         SqlLedgerOptions options = {});
    ~SqlLedger() override = default;
    SqlLedger(const SqlLedger&) = delete;
    SqlLedger& operator=(const SqlLedger&) = delete;

    // The sequence as read at Open: the identity and the first serial the batch writes.
    const SequenceDefinition& Sequence() const { return sequence_; }
    const std::string& Station() const { return station_; }

    SerialTake TakeSerial(const LedgerEntry& chip) override;
    bool Record(const LedgerEntry& entry) override;
    bool WasVerified(const std::string& serial) override;
    std::string NextSerial() override;
    std::string LastRecordedSerial() override;
    std::vector<std::string> UnrecordedSerials() override;

private:
    enum class Step { Done, Lost, Retry, Failed };
    struct Pending {
        uint64_t ticket;
        LedgerEntry entry;
    };
    using Lock = std::unique_lock<std::mutex>;

    SqlLedger(const std::string& connection, const std::string& station, SerialAt serialAt,
              SqlLedgerOptions options);

    // Connected, reconnecting until the bound after the loss has passed. The lock is let go
    // between attempts, so that other workers' calls can go on.
    bool WaitForConnection(Lock& lock);
    bool TryConnect();
    void MarkLost(const odbc::Failure& failure);
    void FlushPending();
    Step TryTake(const LedgerEntry& chip, SerialTake& take);
    odbc::Result InsertRecord(uint64_t ticket, const LedgerEntry& entry);
    bool PastBound() const;
    // Lets go of the lock and tells the observer what changed meanwhile.
    void Unlock(Lock& lock);

    const std::string connection_;  // holds the password: never shown
    SequenceDefinition sequence_;   // read once, at Open
    const std::string station_;
    const SerialAt serialAt_;
    const SqlLedgerOptions options_;
    const std::string recordKeyPrefix_;

    std::mutex mutex_;
    odbc::Session session_;
    bool lost_ = false;
    std::chrono::steady_clock::time_point lostSince_;
    std::string lastFailure_;
    std::deque<Pending> pending_;  // outcomes not yet recorded, oldest first
    uint64_t nextTicket_ = 1;      // numbers every record this ledger writes
    std::set<uint64_t> refused_;   // tickets the database refused outright
    std::vector<std::string> refusedSerials_;
    std::set<std::string> verified_;  // verified here, recorded or pending
    std::string lastRecorded_;
    std::vector<bool> notices_;  // connection changes the observer has not been told
};
