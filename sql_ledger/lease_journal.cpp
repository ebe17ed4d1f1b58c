#include "lease_journal.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>

using nlohmann::json;

namespace {

json EntryJson(const LedgerEntry& e) {
    return {{"time", e.time},     {"port", e.port},
            {"serial", e.serial}, {"vid", e.vid},
            {"pid", e.pid},       {"product", e.product},
            {"lock", e.lock},     {"outcome", OutcomeWord(e.outcome)},
            {"status", e.status}, {"station", e.station},
            {"job", e.job}};
}

std::optional<LedgerEntry> EntryOf(const json& j) {
    LedgerEntry e;
    e.time = j.at("time").get<std::string>();
    e.port = j.at("port").get<std::string>();
    e.serial = j.at("serial").get<std::string>();
    e.vid = j.at("vid").get<std::string>();
    e.pid = j.at("pid").get<std::string>();
    e.product = j.at("product").get<std::string>();
    e.lock = j.at("lock").get<bool>();
    const std::optional<BatchOutcome> outcome = OutcomeFromWord(j.at("outcome").get<std::string>());
    if (!outcome) {
        return std::nullopt;
    }
    e.outcome = *outcome;
    e.status = j.at("status").get<std::string>();
    e.station = j.at("station").get<std::string>();
    e.job = j.at("job").get<std::string>();
    return e;
}

SequenceDefinition SequenceOf(const json& j) {
    SequenceDefinition s;
    s.name = j.at("sequence").get<std::string>();
    s.firstSerial = j.at("first").get<std::string>();
    s.vid = j.at("vid").get<std::string>();
    s.pid = j.at("pid").get<std::string>();
    s.product = j.at("product").get<std::string>();
    s.lock = j.at("lock").get<bool>();
    s.scheme = SchemeNamed(j.at("scheme").get<std::string>());
    s.serialFormat = j.at("format").get<std::string>();
    s.utcOffset = j.at("offset").get<std::string>();
    s.job = j.at("job").get<std::string>();
    // The job's whole digest, which a restart compares with the ledger's as every other value.
    s.jobDigest = j.value("digest", std::string());
    return s;
}

// One line into the state; false for a line this program did not write.
bool ReadLine(const json& line, JournalState& state, std::set<std::string>& landed) {
    if (line.contains("journal")) {
        state.sequence = SequenceOf(line);
        state.station = line.at("station").get<std::string>();
    } else if (line.contains("lease")) {
        state.leases++;
        for (const json& serial : line.at("serials")) {
            state.leased.push_back({serial.at(0).get<uint64_t>(), serial.at(1).get<std::string>(),
                                    line.at("lease").get<std::string>(),
                                    line.at("period").get<std::string>()});
        }
    } else if (line.contains("released")) {
        const std::string lease = line.at("released").get<std::string>();
        std::erase_if(state.leased, [&](const LeasedSerial& s) { return s.lease == lease; });
    } else if (line.contains("record")) {
        JournalRecord record{line.at("record").get<std::string>(), {}, std::nullopt};
        const std::optional<LedgerEntry> entry = EntryOf(line.at("entry"));
        if (!entry) {
            return false;
        }
        record.entry = *entry;
        if (line.contains("position")) {
            record.leasedPosition = line.at("position").get<uint64_t>();
            // Taken: the lease goes on after it.
            auto at =
                std::find_if(state.leased.begin(), state.leased.end(),
                             [&](const LeasedSerial& s) { return s.serial == entry->serial; });
            if (at != state.leased.end()) {
                state.leased.erase(at);
            }
        }
        state.pending.push_back(std::move(record));
    } else if (line.contains("landed")) {
        landed.insert(line.at("landed").get<std::string>());
    } else {
        return false;
    }
    return true;
}

}  // namespace

LeaseJournal::LeaseJournal(LogBytes& bytes, std::string name)
    : bytes_(bytes), name_(std::move(name)) {}

Result<JournalState> LeaseJournal::Load() {
    const std::optional<std::string> all = bytes_.ReadAll();
    if (!all) {
        return Fail("could not read " + name_);
    }
    JournalState state;
    std::set<std::string> landed;
    size_t lineNumber = 0;
    for (size_t from = 0; from < all->size();) {
        size_t end = all->find('\n', from);
        if (end == std::string::npos) {
            // A line cut short by a crash was never known to be on disk: nothing used it.
            break;
        }
        lineNumber++;
        const std::string text = all->substr(from, end - from);
        from = end + 1;
        bool read = false;
        try {
            read = ReadLine(json::parse(text), state, landed);
        } catch (const json::exception&) {
            read = false;
        }
        if (!read) {
            return Fail(name_ + " is not a journal this program wrote (line " +
                        std::to_string(lineNumber) + ")");
        }
    }
    std::erase_if(state.pending,
                  [&](const JournalRecord& record) { return landed.count(record.key) > 0; });
    return state;
}

Status LeaseJournal::Write(const std::string& line) {
    if (!bytes_.Append(line + "\n")) {
        return Fail("could not write to " + name_);
    }
    return {};
}

Status LeaseJournal::Begin(const SequenceDefinition& s, const std::string& station) {
    return Write(json{{"journal", 1},
                      {"sequence", s.name},
                      {"station", station},
                      {"first", s.firstSerial},
                      {"vid", s.vid},
                      {"pid", s.pid},
                      {"product", s.product},
                      {"lock", s.lock},
                      {"scheme", SchemeWord(s.scheme)},
                      {"format", s.serialFormat},
                      {"offset", s.utcOffset},
                      {"job", s.job},
                      {"digest", s.jobDigest}}
                     .dump());
}

Status LeaseJournal::Lease(const LeaseBlock& lease) {
    json serials = json::array();
    for (const LeasedSerial& serial : lease.serials) {
        serials.push_back(json::array({serial.position, serial.serial}));
    }
    return Write(json{{"lease", lease.key}, {"period", lease.period}, {"serials", serials}}.dump());
}

Status LeaseJournal::Record(const JournalRecord& record) {
    json line{{"record", record.key}, {"entry", EntryJson(record.entry)}};
    if (record.leasedPosition) {
        line["position"] = *record.leasedPosition;
    }
    return Write(line.dump());
}

Status LeaseJournal::Released(const std::string& lease) {
    return Write(json{{"released", lease}}.dump());
}

Status LeaseJournal::Landed(const std::string& key) {
    return Write(json{{"landed", key}}.dump());
}
