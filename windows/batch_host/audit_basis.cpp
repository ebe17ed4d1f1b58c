#include "audit_basis.h"

#include "chip_fields.h"
#include "command_failure.h"
#include "exit_codes.h"
#include "job_audit.h"
#include "job_load.h"
#include "log_read.h"
#include "record_audit.h"
#include "serial_sequence.h"

AuditBasis AuditBasis::FromJob(const std::string& path) {
    AuditBasis basis;
    basis.job_ = LoadJob(path);
    basis.hasJob_ = true;
    basis.list_ = LoadJobList(basis.job_);
    basis.against_ = JobTitle(basis.job_) + " in " + path;
    return basis;
}

AuditBasis AuditBasis::FromLog(const std::string& path) {
    AuditBasis basis;
    basis.log_ = ReadLogRecords(path);
    basis.against_ = "log " + path;
    return basis;
}

AuditBasis AuditBasis::FromSequence(const std::string& connection, const std::string& sequence,
                                    const std::string& station) {
    SqlLedgerOptions options;
    options.takes = false;  // an audit reads records and adds its own: a station login will do
    auto opened = SqlLedger::Open(connection, sequence, station, SerialSequence::At, options);
    if (!opened) {
        throw CommandFailure{EXIT_RECORD_FAILED, opened.Err().message};
    }
    AuditBasis basis;
    basis.ledger_ = std::move(*opened);
    basis.connection_ = connection;
    basis.sequence_ = sequence;
    basis.station_ = station;
    basis.against_ = "sequence " + sequence;
    return basis;
}

Result<AuditReport> AuditBasis::Audit(const ConfigRecord& chip) {
    if (hasJob_) {
        return AuditAgainstJob(chip, job_, list_);
    }
    if (ledger_ == nullptr) {
        return AuditAgainstRecord(chip, log_);
    }
    // Read afresh: another station may have programmed the board a moment ago.
    // Only the records of the serial the chip holds: the whole export would grow with the line.
    // A chip with no serial has none to look up.
    const std::optional<std::string> serial = FieldsOf(chip).serial;
    if (!serial) {
        return AuditAgainstRecord(chip, {});
    }
    Result<std::vector<LedgerEntry>, LedgerError> records = Export(connection_, sequence_, serial);
    if (!records) {
        return Fail(Error{records.Err().message});
    }
    return AuditAgainstRecord(chip, *records);
}

Status AuditBasis::Record(const LedgerEntry& entry) {
    if (ledger_ == nullptr) {
        return {};
    }
    return ledger_->Record(entry);
}
