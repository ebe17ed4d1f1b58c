// The batch log's codec. The input's first byte chooses: arbitrary bytes decoded as a whole log
// (never a crash, and every record it returns has a known outcome), or a record of arbitrary
// fields written after a header and read back field for field, also after a torn line.
#include <cstdlib>

#include "fuzz_input.h"
#include "log_csv.h"

namespace {

bool Same(const LedgerEntry& a, const LedgerEntry& b) {
    return a.time == b.time && a.port == b.port && a.serial == b.serial && a.vid == b.vid &&
           a.pid == b.pid && a.product == b.product && a.lock == b.lock && a.outcome == b.outcome &&
           a.status == b.status && a.job == b.job;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    if (input.Byte() % 2 == 0) {
        std::string text(reinterpret_cast<const char*>(data), size);
        if (Result<LogContents> contents = DecodeLog(text)) {
            for (const LedgerEntry& entry : contents->entries) {
                Check(OutcomeFromWord(OutcomeWord(entry.outcome)) == entry.outcome);
            }
        }
        return 0;
    }
    LedgerEntry entry;
    entry.time = input.Text(30);
    entry.port = input.Text(12);
    entry.serial = input.Text(10);
    entry.vid = input.Text(6);
    entry.pid = input.Text(6);
    entry.product = input.Text(60);
    entry.lock = input.Byte() % 2 == 1;
    entry.outcome = static_cast<BatchOutcome>(input.Byte() % 8);
    entry.status = input.Text(80);
    entry.job = input.Text(10);
    std::string torn = input.Text(40);

    std::string text = LogStart() + EncodeLogLine(entry);
    Result<LogContents> read = DecodeLog(text);
    Check(read && read->entries.size() == 1 && Same(read->entries[0], entry) &&
          read->tornTail.empty());

    // Whatever a crash cut short before it, a record after the ended torn line reads whole.
    text = LogStart() + torn;
    read = DecodeLog(text);
    Check(read.Ok());
    text += (read->tornTail.empty() ? "" : TornLineEnd(read->tornTail)) + EncodeLogLine(entry);
    read = DecodeLog(text);
    Check(read && !read->entries.empty() && Same(read->entries.back(), entry) &&
          read->tornTail.empty());
    return 0;
}
