#include "log_store.h"

#include "log_csv.h"

Result<std::vector<LedgerEntry>> LogStore::Load() {
    Result<std::string> text = bytes_.ReadAll();
    if (!text) {
        return Fail("cannot read " + name_);
    }
    if (text->empty()) {
        if (!bytes_.Append(LogStart())) {
            return Fail("cannot write " + name_);
        }
        *text = LogStart();
    }
    Result<LogContents> contents = DecodeLog(*text);
    if (!contents) {
        return Fail(name_ + ": " + contents.Err().message);
    }
    // A line cut short by a crash is ended first, so the next line does not run into it.
    if (!contents->tornTail.empty() && !bytes_.Append(TornLineEnd(contents->tornTail))) {
        return Fail("cannot write " + name_);
    }
    return std::move(contents->entries);
}

Status LogStore::EndTornLine(const std::string& text) {
    Result<LogContents> contents = DecodeLog(text);
    if (!contents) {
        return Fail(contents.Err());
    }
    if (contents->tornTail.empty()) {
        return {};
    }
    return bytes_.Append(TornLineEnd(contents->tornTail));
}

Status LogStore::Append(const LedgerEntry& record) {
    if (mayBeTorn_) {
        // What reached the log of the failed line is read back, not guessed: it may end inside
        // a quoted field.
        Result<std::string> text = bytes_.ReadAll();
        if (!text || !EndTornLine(*text)) {
            return Fail("cannot end the torn line in " + name_);
        }
        mayBeTorn_ = false;
    }
    if (!bytes_.Append(EncodeLogLine(record))) {
        mayBeTorn_ = true;
        return Fail("cannot write " + name_);
    }
    return {};
}
