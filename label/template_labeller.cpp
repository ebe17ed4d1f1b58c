#include "template_labeller.h"

#include <exception>

#include "label_order.h"
#include "label_values.h"

TemplateLabeller::TemplateLabeller(LabelTemplate label, std::unique_ptr<LabelPrinter> printer,
                                   std::string printerText)
    : template_(std::move(label)),
      printer_(std::move(printer)),
      printerText_(std::move(printerText)) {}

BoardLabel TemplateLabeller::AfterRecord(const LedgerEntry& record, bool onRecord) {
    if (!LabelAfterTurn(record.outcome, onRecord).print) {
        return {};
    }
    try {
        Result<std::string> label = template_.Fill(LabelValuesOf(record, offsetMinutes_));
        if (!label) {
            return {LabelState::NotPrinted, label.Err().message};
        }
        Status sent = printer_->Print(*label, record.serial);
        if (!sent) {
            return {LabelState::NotPrinted, sent.Err().message};
        }
        return {LabelState::Printed, printerText_};
    } catch (const std::exception& error) {
        // The board is verified and on record whatever happens here: only its label is lost.
        return {LabelState::NotPrinted, std::string("internal error: ") + error.what()};
    }
}
