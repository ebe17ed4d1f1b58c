// A batch shown on the console: a line (or a JSON object) per chip as it ends, the stops on
// standard error, a summary at the end. It also wakes the port watch when the batch stops.
#pragma once

#include <windows.h>

#include "batch.h"
#include "scoped_win.h"

class BatchConsole : public BatchObserver {
public:
    // station: named in every JSON object when the batch records to a line's ledger. labels:
    // the batch prints labels, so each board's line and the summary say how they went. job: the
    // job's id, in every JSON object of a batch run from a job file.
    BatchConsole(bool json, const std::string& station, bool labels, const std::string& job);

    // Signalled once the batch stops.
    HANDLE StopEvent() const { return stopped_.Get(); }

    void ChipPhaseChanged(const std::string& port, ChipPhase phase) override;
    void ChipDone(const ChipReport& report) override;
    void ChipLeftAlone(const std::string& port) override;
    void Stopping(const std::string& reason) override;
    void SerialsWaiting(const std::string& why) override;

    // The counts of every outcome, as the last line or object.
    void Summary(const BatchTally& tally);

private:
    bool json_;
    std::string station_;
    bool labels_;
    std::string job_;
    win32::AutoCloseHandle stopped_;
};
