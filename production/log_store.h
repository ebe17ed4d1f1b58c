// A station's log as a record store: CSV lines appended to bytes kept somewhere durable (a file
// on the station's disk; memory in a test). An append that fails part-way may leave a torn line
// behind; the next append ends it first, so that the records after it are not glued to its
// bytes and lost to every later read.
#pragma once

#include <optional>
#include <string>

#include "record_store.h"

class LogBytes {
public:
    virtual ~LogBytes() = default;
    // Everything stored so far, or why it cannot be read.
    virtual Result<std::string> ReadAll() = 0;
    // Appends durably (on disk, not in a cache); fails when not all of it is known to be there.
    // Some of it may be.
    virtual Status Append(const std::string& bytes) = 0;
    // Replaces everything with these bytes, atomically: either all of them are on disk, or the
    // old bytes stay whole. Fails when not done (or not possible here): the old bytes stay.
    virtual Status Replace(const std::string& /*bytes*/) { return Fail("not possible here"); }
};

class LogStore : public RecordStore {
public:
    // name: how messages call the log ("the log shift.csv").
    LogStore(LogBytes& bytes, std::string name) : bytes_(bytes), name_(std::move(name)) {}

    // A new (empty) log gets its byte order mark and header first.
    Result<std::vector<LedgerEntry>> Load() override;
    Status Append(const LedgerEntry& record) override;

private:
    // Ends a line a crash or a failed append cut short; fails when that could not be written.
    Status EndTornLine(const std::string& text);

    LogBytes& bytes_;
    const std::string name_;
    bool mayBeTorn_ = false;  // an append failed: part of its line may be in the log
};
