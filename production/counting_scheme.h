// --serial-from: a sequence counted up from a first serial. Serials of the records before the
// first one asked for are another batch's business; the batch goes on after the highest one.
#pragma once

#include <optional>

#include "serial_scheme.h"
#include "serial_sequence.h"

class CountingScheme : public SerialScheme {
public:
    explicit CountingScheme(SerialSequence first);

    void MarkUsed(const std::string& serial) override;
    SchemeNext Next() override;
    std::string ResumedAfter() override { return resumedAfter_; }
    std::string Capacity() const override;

private:
    SerialSequence serials_;
    uint64_t firstPosition_;
    bool left_ = true;
    std::string resumedAfter_;  // the highest serial marked, when at or after the first
    std::optional<uint64_t> highest_;
};
