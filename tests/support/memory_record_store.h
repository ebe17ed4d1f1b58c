// A record store in memory that can be told to fail: from its Nth append on, as a full disk or a
// lost network share would.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "record_store.h"

class MemoryRecordStore : public RecordStore {
public:
    explicit MemoryRecordStore(std::vector<LedgerEntry> history = {}, size_t failFrom = SIZE_MAX)
        : records_(std::move(history)), failFrom_(failFrom) {}

    Result<std::vector<LedgerEntry>> Load() override {
        std::lock_guard<std::mutex> hold(mutex_);
        return records_;
    }
    Status Append(const LedgerEntry& record) override {
        std::lock_guard<std::mutex> hold(mutex_);
        if (appends_++ >= failFrom_) {
            return Fail("the store is full");
        }
        records_.push_back(record);
        return {};
    }
    std::vector<LedgerEntry> Records() {
        std::lock_guard<std::mutex> hold(mutex_);
        return records_;
    }

private:
    std::mutex mutex_;
    std::vector<LedgerEntry> records_;
    size_t failFrom_;
    size_t appends_ = 0;
};
