#include "serial_fit.h"

#include <algorithm>

#include "serial_sequence.h"

SerialFit FitsScheme(const JobSerials& serials, const std::string& serial,
                     const std::vector<std::string>& listSerials) {
    switch (serials.scheme) {
        case SerialScheme::None:
            return SerialFit::Fits;
        case SerialScheme::From: {
            std::optional<SerialSequence> sequence = SerialSequence::From(serials.from);
            return sequence && sequence->PositionOf(serial) ? SerialFit::Fits
                                                            : SerialFit::DoesNotFit;
        }
        case SerialScheme::Format:
            return FitsSerialFormat(serials.format, serial);
        case SerialScheme::List:
            return std::find(listSerials.begin(), listSerials.end(), serial) != listSerials.end()
                       ? SerialFit::Fits
                       : SerialFit::DoesNotFit;
    }
    return SerialFit::DoesNotFit;
}

SerialFit FitsSerialFormat(const std::string&, const std::string&) {
    return SerialFit::CannotCheckYet;
}

std::string ShownScheme(const JobSerials& serials) {
    switch (serials.scheme) {
        case SerialScheme::None:
            return "any";
        case SerialScheme::From: {
            // The counter is the trailing digits: they show as #, the prefix as it is.
            size_t digits = serials.from.find_last_not_of("0123456789") + 1;
            return serials.from.substr(0, digits) + std::string(serials.from.size() - digits, '#');
        }
        case SerialScheme::Format:
            return serials.format;
        case SerialScheme::List:
            return "in the list " + serials.list;
    }
    return "";
}
