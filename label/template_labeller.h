// A batch's labels: its template filled with each verified board's record and sent to its
// printer, by the board's own worker, once the board's outcome is on record (label_order.h says
// when). A label that fails says why; the board's outcome stays what it is.
#pragma once

#include <memory>
#include <string>

#include "board_label.h"
#include "label_printer.h"
#include "label_template.h"

class TemplateLabeller : public BoardLabeller {
public:
    // printerText: the printer as --printer named it, the status of a printed label's record.
    TemplateLabeller(LabelTemplate label, std::unique_ptr<LabelPrinter> printer,
                     std::string printerText);

    BoardLabel AfterRecord(const LedgerEntry& record, bool onRecord) override;
    // The labels' date and time at minutes east of UTC (the sequence's offset); UTC until told.
    // Told once, before the batch's first board.
    void UseUtcOffset(int minutes) { offsetMinutes_ = minutes; }

private:
    int offsetMinutes_ = 0;
    const LabelTemplate template_;
    const std::unique_ptr<LabelPrinter> printer_;
    const std::string printerText_;
};
