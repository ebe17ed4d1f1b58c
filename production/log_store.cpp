#include "log_store.h"

#include "log_csv.h"

bool LogStore::Load(std::vector<LedgerEntry>& records, std::string& problem) {
    std::optional<std::string> text = bytes_.ReadAll();
    if (!text) {
        problem = "cannot read " + name_;
        return false;
    }
    if (text->empty()) {
        if (!bytes_.Append(LogStart())) {
            problem = "cannot write " + name_;
            return false;
        }
        text = LogStart();
    }
    std::optional<LogContents> contents = DecodeLog(*text, problem);
    if (!contents) {
        problem = name_ + ": " + problem;
        return false;
    }
    // A line cut short by a crash is ended first, so the next line does not run into it.
    if (!contents->tornTail.empty() && !bytes_.Append(TornLineEnd(contents->tornTail))) {
        problem = "cannot write " + name_;
        return false;
    }
    records = std::move(contents->entries);
    return true;
}

bool LogStore::EndTornLine(const std::string& text) {
    std::string problem;
    std::optional<LogContents> contents = DecodeLog(text, problem);
    return contents &&
           (contents->tornTail.empty() || bytes_.Append(TornLineEnd(contents->tornTail)));
}

bool LogStore::Append(const LedgerEntry& record) {
    if (mayBeTorn_) {
        // What reached the log of the failed line is read back, not guessed: it may end inside
        // a quoted field.
        std::optional<std::string> text = bytes_.ReadAll();
        if (!text || !EndTornLine(*text)) {
            return false;
        }
        mayBeTorn_ = false;
    }
    if (!bytes_.Append(EncodeLogLine(record))) {
        mayBeTorn_ = true;
        return false;
    }
    return true;
}
