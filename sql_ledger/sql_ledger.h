// A batch's ledger in a line's shared SQL database: every station takes its serials from one
// sequence row, inside a transaction, and records every chip there. A serial is handed out only
// once its `started` record is committed, so the database's own locks and constraints keep it
// from ever reaching two boards, whichever station, crash or restart.
//
// One connection, guarded by a mutex: a station's workers take turns on it. When the connection
// is lost, or a statement fails in a way that may pass (a deadlock, a row another station holds
// past the lock limit), every call tries again until the bound after the first failure has
// passed, keeping the outcomes it could not record and writing them, in order, once it can. The
// mutex is let go between attempts, and for a login, so that the station's other ports go on
// meanwhile.
//
// A leasing station with a journal goes further: a board takes its serial from the lease and
// waits only for its records' lines on disk, under a lock of their own; the ledger's sender, a
// thread of its own, writes them to the database in order and takes the next lease before the
// last one runs out.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ledger.h"
#include "ledger_operations.h"
#include "odbc_session.h"
#include "result.h"
#include "sequence_serials.h"
#include "lease_journal.h"
#include "serial_lease.h"

// The serial at a position of a sequence (position 0 is the first serial itself), or empty when
// the sequence has run out before it. The production core's serial rules supply it.
using SerialAt =
    std::function<std::optional<std::string>(const std::string& firstSerial, uint64_t position)>;

struct SqlLedgerOptions {
    // How long after the first of a run of failures (a lost connection, a lock held elsewhere)
    // the ledger keeps trying before a call answers NotRecorded or false. Any call that succeeds
    // ends the run; a reconnect alone does not.
    std::chrono::milliseconds reconnectBound = std::chrono::seconds(60);
    std::chrono::milliseconds retryInterval = std::chrono::milliseconds(250);
    int loginTimeoutSeconds = 5;
    odbc::Limits limits;
    // Told when the ledger stops answering (false: the connection is lost, or a take waits for a
    // row another station holds) and when it answers again (true). Called from the worker that
    // noticed, with no lock of the ledger held.
    std::function<void(bool connected)> onConnection;
    // Serials leased ahead: 0 takes each board's serial from the sequence's row as the board
    // needs it; K takes K at once, recorded as leased to the station (no other station takes
    // them), and each board takes its serial from them, its `started` record made then. The next
    // lease is taken when fewer than leaseLow remain (0: only when none is left).
    int lease = 0;
    int leaseLow = 0;
    // A leasing station's journal (owned by the caller): its leases and records on disk first,
    // so that boards go on from the lease while the database does not answer, and a restart goes
    // on with it. A journal that holds records the database lacks is replayed, lease or not.
    // With a journal, a board waits only for its record's line on disk: a sender of the ledger's
    // own sends the records to the database, in order, and takes the next lease.
    LeaseJournal* journal = nullptr;
    // A journal grown to this many lines is rewritten with only what a restart needs, once every
    // record of it is in the database.
    size_t journalTrimLines = 2000;
    // The batch takes serials: a login the server says cannot is refused at Open. An audit or a
    // label's reprint only reads and appends records.
    bool takes = true;
    // Only for tests: failures to inject into the ledger's session.
    odbc::FaultInjector* faults = nullptr;
    // Only for tests: the clock a format sequence's dates are read from instead of the server's.
    LedgerClock clock;
};

class SqlLedger : public Ledger {
public:
    // Connects, checks the layout and reads the sequence. The station's name goes into every
    // record that names none.
    static Result<std::unique_ptr<SqlLedger>, LedgerError> Open(const std::string& connection,
                                                                const std::string& sequence,
                                                                const std::string& station,
                                                                SerialAt serialAt,
                                                                SqlLedgerOptions options = {});
    // Stops the sender; what it has not sent stays in the journal for the next run.
    ~SqlLedger() override;
    SqlLedger(const SqlLedger&) = delete;
    SqlLedger& operator=(const SqlLedger&) = delete;

    // The sequence as read at Open: the identity and the first serial the batch writes.
    const SequenceDefinition& Sequence() const { return sequence_; }
    const std::string& Station() const { return station_; }
    // How many serials the sequence holds, as read at Open: "999999 in all", "9999 per week",
    // "250 in the list".
    const std::string& Capacity() const { return capacity_; }
    // What the station says when it starts, when its login could change or delete records; ""
    // when it could not.
    const std::string& LoginWarning() const { return loginWarning_; }

    SerialTake TakeSerial(const LedgerEntry& chip) override;
    Status Record(const LedgerEntry& entry) override;
    Result<bool> WasVerified(const std::string& serial) override;
    Result<std::optional<std::string>> NextSerial() override;
    std::string LastRecordedSerial() override;
    std::vector<std::string> UnrecordedSerials() override;
    Status Finish() override;

    // A leasing station: the serials its lease still holds, and since when it has worked
    // without the database (empty while it answers).
    size_t LeaseLeft();
    std::optional<std::chrono::system_clock::time_point> OfflineSince();

private:
    enum class Step { Done, Lost, Retry, Duplicate, Failed };
    struct Pending {
        uint64_t ticket;
        std::string key;  // the record's key: writing it again cannot record it twice
        LedgerEntry entry;
        // A leased serial's `started` record: its serial's row is written with it, at this
        // position of the sequence.
        std::optional<uint64_t> leasedPosition = std::nullopt;
    };
    // A take whose commit lost its answer: whether it landed is settled by its record's key once
    // the connection is back. Its serial is never written to a chip either way.
    struct Unsettled {
        uint64_t ticket;
        LedgerEntry started;
    };
    using Lock = std::unique_lock<std::mutex>;

    SqlLedger(const std::string& connection, const std::string& station, SerialAt serialAt,
              SqlLedgerOptions options);

    // Connected, reconnecting until the bound after the loss has passed. The lock is let go
    // between attempts, so that other workers' calls can go on.
    bool WaitForConnection(Lock& lock);
    // One try to connect, on a session of its own with the lock let go (a login can take
    // seconds), swapped in once connected. False while another worker is connecting.
    bool TryConnect(Lock& lock);
    void MarkLost(const odbc::Failure& failure);
    Status StartOffline(const std::string& sequence, const odbc::Failure& failure);
    // A failure that may pass: the bound runs from the first one.
    void NoteFailure(const odbc::Failure& failure);
    // Waits before the next try, the lock let go; false when the bound has passed.
    bool Pause(Lock& lock);
    void MarkAnswered();
    // Sends the pending records, oldest first, until one cannot be sent now.
    void FlushPending();
    void SendPending();
    // The journal told which records landed, once at least this many did: one line on disk for
    // many, so that a board seldom waits for the sender's line.
    void WriteLanded(size_t atLeast);
    static constexpr size_t kLandedBatch = 256;
    // Whether the row with this key is in the database (a record's, or with kLeaseByKey a
    // lease's); the database's failure when that cannot be read.
    Result<bool, odbc::Failure> KeyLanded(const char* sql, const std::string& key);
    // Writes the pending records, oldest first, until the one with this ticket is written, the
    // bound has passed, or the database refused it. True when it was written.
    bool WaitWritten(Lock& lock, uint64_t ticket);
    // Leased serials: a board's take from the station's lease, the lease taken (again) first when
    // it runs low, and a lease whose commit lost its answer settled by its key.
    SerialTake TakeLeasedSerial(Lock& lock, const LedgerEntry& chip);
    bool LeaseRunsLow(size_t left) const;
    size_t LeftInLease();
    // A lease's serials the station's, written to the journal first; false when they could not
    // be written there (the lease stays on record, unused).
    bool AddLease(const LeaseBlock& lease);
    // A format's lease of an ended period: its rest released, on record, before the next board.
    void ReleaseOldPeriod();
    // The journal: what it holds taken up at Open.
    Status LoadJournal(bool online);
    // The sender's try to reconnect, at most every retry interval.
    bool ReconnectNow(Lock& lock);
    // The sender: with a journal, each record's line on disk is all a board waits for; the
    // sender writes the records to the database in order, takes the next lease when the
    // station's runs low, and rewrites a grown journal. Boards hold only boardMutex_.
    void StartSender();
    void SendLoop();
    // One round: the boards' records handed over, a lease taken when one is wanted, then up to
    // kSendRound of them sent (a lease running low never waits behind a long backlog). True when
    // more are left to send at once.
    bool SendRound();
    static constexpr size_t kSendRound = 16;
    void LeaseInBackground();
    void TrimJournal();
    // A board's take from the lease and a board's record, kept in the journal for the sender.
    SerialTake TakeFromJournal(const LedgerEntry& chip);
    Status KeepForSender(Pending pending);
    // Why the board waiting for a lease waits no longer.
    SerialTake LeaseWaitEnded();
    Status FinishSending();
    // With the sender's lock held: the records not yet sent, what a waiting board is told.
    void Publish();
    // Takes a new lease when the station's runs low; false (take saying why) when none is left
    // to take from and the station's lease is empty.
    bool RenewLease(Lock& lock, SerialTake& take);
    Step TakeLease(SerialTake& take);
    Step SettleLease();
    // The lease's serials from the sequence's scheme, from position first on; a step when the
    // lease ends here.
    std::optional<Step> LeaseSerials(uint64_t first, LeaseBlock& block, SerialTake& take);
    std::optional<Step> LeaseFromPeriod(uint64_t first, LeaseBlock& block, SerialTake& take);
    std::optional<Step> LeaseFromList(uint64_t first, LeaseBlock& block, SerialTake& take);
    Step Settle();
    Step TryTake(const LedgerEntry& chip, SerialTake& take);
    // Commits a take's (or a lease's) transaction: nothing when it landed; Lost, with keepUnsettled
    // called to keep what settles it by its key, when the answer was lost; failed, nothing landed,
    // when the server refused it.
    std::optional<Step> CommitTake(SerialTake& take, const std::function<void()>& keepUnsettled);
    // A take's steps. A failed statement ends the take rolled back, with the step the failure
    // calls for; a refused one ends it as failed with the message.
    Step TakeFailed(const odbc::Failure& failure, SerialTake& take);
    Step TakeRefused(const std::string& message, SerialTake& take);
    std::optional<Step> Advance(int64_t count, uint64_t& first, SerialTake& take);
    // The serial the next take would hand out; "" when none is left now.
    Result<std::string, odbc::Failure> ReadNextSerial();
    // The serial the take goes on with: the sequence moved on past every serial another
    // sequence of the same VID and PID has used, each one skipped on record. A step when the
    // take ends here.
    struct FreeTake {
        std::string serial;
        uint64_t position = 0;
        bool skippedAny = false;
    };
    std::optional<Step> FreeSerial(const LedgerEntry& started, FreeTake& free, SerialTake& take);
    // Records the free serial as not used, with why, and marks a list's serial with the state.
    std::optional<Step> SkipOnRecord(const LedgerEntry& started, const FreeTake& free,
                                     const std::string& status, const char* state,
                                     SerialTake& take);
    // The serial at the take's position, by the sequence's scheme; a step when the take ends.
    std::optional<Step> Candidate(FreeTake& free, SerialTake& take);
    // A format's next counters, up to count of them, in the period of the server's date, the
    // last written to the period's row; none left in the period ends the take.
    std::optional<Step> FromPeriod(int count, std::vector<std::string>& serials,
                                   std::string& period, SerialTake& take);
    // A format's next counter in the period of the take's date.
    std::optional<Step> NextInPeriod(FreeTake& free, SerialTake& take);
    // A list's serial at a position marked "used" or "skipped"; nothing for other schemes.
    std::optional<Step> MarkListSerial(const char* state, uint64_t position, SerialTake& take);
    // Ends a take that found no serial (the sequence or its period ran out), rolled back.
    Step RanOut(TakeResult result, const std::string& message, SerialTake& take);
    odbc::Answer InsertRecord(const std::string& key, const LedgerEntry& entry);
    // A pending record's statements, inside one transaction: a leased serial's row first.
    Result<void, odbc::Failure> InsertPending(const Pending& pending);
    Result<void, odbc::Failure> RunPending(const Pending& pending);
    // The sender: up to count of the oldest pending records in one transaction, one commit for
    // them all; false when that did not land them (each then goes on its own, as FlushPending
    // sends it, and a refused one is told apart from the rest).
    bool SendTogether(size_t count);
    std::string RecordKey(uint64_t ticket) const;
    // A leased serial's `started` record for this chip, with a ticket and key of its own.
    Pending StartedRecord(const LedgerEntry& chip, const LeasedSerial& leased);
    bool PastBound() const;
    // "the ledger's database is unreachable: " and the last failure.
    static std::string Unreachable(const std::string& lastFailure);
    // Lets go of the lock and tells the observer what changed meanwhile.
    void Unlock(Lock& lock);

    const std::string connection_;  // holds the password: never shown
    SequenceDefinition sequence_;   // read once, at Open
    SequenceRules rules_;
    std::string capacity_;
    std::string loginWarning_;
    const std::string station_;
    const SerialAt serialAt_;
    const SqlLedgerOptions options_;
    const std::string recordKeyPrefix_;

    std::mutex mutex_;
    std::unique_ptr<odbc::Session> session_ = std::make_unique<odbc::Session>();
    bool connecting_ = false;  // a worker connects a new session, the lock let go
    bool lost_ = false;        // the observer was told the ledger does not answer
    std::optional<std::chrono::steady_clock::time_point> failingSince_;
    std::optional<Unsettled> unsettled_;
    // A take met a serial the database refused as used: until a take succeeds, each serial is
    // looked up first, and one another sequence of the same identity used is skipped.
    bool checkUsed_ = false;
    std::string lastFailure_;
    std::deque<Pending> pending_;      // outcomes not yet recorded, oldest first
    std::vector<std::string> landed_;  // keys landed, not yet noted in the journal
    std::string lastLanded_;
    std::atomic<uint64_t> nextTicket_ = 1;  // numbers every record this ledger writes
    std::set<uint64_t> refused_;            // tickets the database refused outright
    std::vector<std::string> refusedSerials_;
    std::vector<bool> notices_;                 // connection changes the observer has not been told
    std::optional<LeaseBlock> unsettledLease_;  // a lease whose commit lost its answer
    uint64_t nextLease_ = 1;                    // numbers this ledger's leases
    std::optional<std::chrono::system_clock::time_point> offlineSince_;
    std::chrono::steady_clock::time_point lastReconnect_{};
    bool needsDatabase_ = false;  // the lease is used up offline: the bound runs from then

    // Taken after mutex_ when both are held, never before it: what a board of a leasing station
    // with a journal touches, so that it never waits for the database.
    std::mutex boardMutex_;
    std::deque<LeasedSerial> leased_;  // the station's leased serials not yet taken, in order
    std::set<std::string> verified_;   // verified here, recorded or pending
    std::string lastRecorded_;
    std::deque<Pending> outbox_;  // in the journal, not yet handed to the sender, oldest first
    size_t unsent_ = 0;           // handed to the sender, not yet in the database
    bool leaseWanted_ = false;    // a board found the lease low
    std::optional<SerialTake> leaseEnd_;  // why no lease was taken: the sequence ran out
    std::string sendFailure_;             // the sender's last failure, for a waiting board
    bool sendOffline_ = false;            // the sender has no connection
    std::optional<std::chrono::system_clock::time_point> sendOfflineSince_;
    bool stopSender_ = false;
    size_t trimAt_ = options_.journalTrimLines;  // the journal's lines that start a rewrite
    std::condition_variable senderWake_;         // work for the sender
    std::condition_variable boardWake_;          // a lease, or everything sent
    std::thread sender_;
};
