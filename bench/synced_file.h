// A journal's bytes in a file on the host's disk, as the ledger benchmark's stations keep them:
// each append written and fsync'ed before it returns, as a station's journal on Windows is
// flushed with FlushFileBuffers; a replacement written to a file of its own, fsync'ed and renamed
// over the old one.
#pragma once

#include <string>

#include "log_store.h"

class SyncedFile : public LogBytes {
public:
    explicit SyncedFile(std::string path);
    ~SyncedFile() override;
    SyncedFile(const SyncedFile&) = delete;
    SyncedFile& operator=(const SyncedFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    Result<std::string> ReadAll() override;
    Status Append(const std::string& bytes) override;
    Status Replace(const std::string& bytes) override;

private:
    const std::string path_;
    int fd_ = -1;
};
