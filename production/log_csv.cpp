#include "log_csv.h"

namespace {

constexpr const char* kBom = "\xEF\xBB\xBF";
const std::vector<std::string> kHeader = {"time",    "port", "serial",  "vid",    "pid",
                                          "product", "lock", "outcome", "status", "job"};
// Logs written before records carried their job's id: they still read and resume, and new lines
// are appended to them with the job's column, which such a log's reader takes as empty.
const std::vector<std::string> kHeaderWithoutJob(kHeader.begin(), kHeader.end() - 1);

std::string CsvRecord(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); i++) {
        const std::string& field = fields[i];
        line += i > 0 ? "," : "";
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            line += field;
            continue;
        }
        line += '"';
        for (char c : field) {
            line += c == '"' ? "\"\"" : std::string(1, c);
        }
        line += '"';
    }
    return line + "\r\n";
}

// A record's fields in the header's order.
std::vector<std::string> LogFields(const LedgerEntry& entry) {
    return {entry.time,
            entry.port,
            entry.serial,
            entry.vid,
            entry.pid,
            entry.product,
            entry.lock ? "yes" : "no",
            OutcomeWord(entry.outcome),
            entry.status,
            entry.job};
}

struct CsvRecords {
    std::vector<std::vector<std::string>> records;
    size_t tornAt = std::string::npos;  // where an unfinished last record begins
    bool endsQuoted = false;            // the text ends inside a quoted field
};

// Splits the text into records: a line end inside quotes belongs to its field.
CsvRecords SplitRecords(const std::string& text, size_t from) {
    CsvRecords out;
    std::vector<std::string> fields(1);
    bool quoted = false;
    size_t recordAt = from;
    for (size_t i = from; i < text.size(); i++) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                fields.back() += '"';
                i++;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"' && fields.back().empty()) {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            i += c == '\r' ? 1 : 0;
            out.records.push_back(std::move(fields));
            fields.assign(1, std::string());
            recordAt = i + 1;
        } else {
            fields.back() += c;
        }
    }
    if (recordAt < text.size()) {
        out.tornAt = recordAt;
    }
    out.endsQuoted = quoted;
    return out;
}

}  // namespace

std::string LogStart() {
    return kBom + CsvRecord(kHeader);
}

std::string EncodeLogLine(const LedgerEntry& entry) {
    return CsvRecord(LogFields(entry));
}

// The export keeps the columns it has always had; the job's column is the SQL ledger's to add.
std::string ExportStart() {
    std::vector<std::string> header = kHeaderWithoutJob;
    header.push_back("station");
    return CsvRecord(header);
}

std::string EncodeExportLine(const LedgerEntry& entry) {
    std::vector<std::string> fields = LogFields(entry);
    fields.back() = entry.station;  // in the job's place, last
    return CsvRecord(fields);
}

std::string TornLineEnd(const std::string& tornTail) {
    bool quoted = SplitRecords(tornTail, 0).endsQuoted;
    return (quoted ? "\"" : "") + std::string(kHeader.size() + 1, ',') + "\r\n";
}

Result<LogContents> DecodeLog(const std::string& text) {
    size_t from = text.compare(0, 3, kBom) == 0 ? 3 : 0;
    CsvRecords csv = SplitRecords(text, from);
    if (csv.records.empty() ||
        (csv.records.front() != kHeader && csv.records.front() != kHeaderWithoutJob)) {
        return Fail("not a batch log (its first line is not the log's header)");
    }
    LogContents contents;
    if (csv.tornAt != std::string::npos) {
        contents.tornTail = text.substr(csv.tornAt);
    }
    for (size_t i = 1; i < csv.records.size(); i++) {
        const std::vector<std::string>& fields = csv.records[i];
        // A torn line, once ended, has more fields than either.
        bool known = fields.size() == kHeader.size() || fields.size() == kHeaderWithoutJob.size();
        std::optional<BatchOutcome> outcome = known ? OutcomeFromWord(fields[7]) : std::nullopt;
        if (!outcome) {
            continue;
        }
        LedgerEntry entry;
        entry.time = fields[0];
        entry.port = fields[1];
        entry.serial = fields[2];
        entry.vid = fields[3];
        entry.pid = fields[4];
        entry.product = fields[5];
        entry.lock = fields[6] == "yes";
        entry.outcome = *outcome;
        entry.status = fields[8];
        entry.job = fields.size() == kHeader.size() ? fields[9] : "";
        contents.entries.push_back(std::move(entry));
    }
    return contents;
}
