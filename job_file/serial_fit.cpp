#include "serial_fit.h"

#include <algorithm>
#include <optional>

#include "serial_format.h"
#include "serial_sequence.h"

SerialFit FitsScheme(const JobSerials& serials, const std::string& serial,
                     const std::vector<std::string>& listSerials) {
    switch (serials.scheme) {
        case JobScheme::None:
            return SerialFit::Fits;
        case JobScheme::From: {
            std::optional<SerialSequence> sequence = SerialSequence::From(serials.from);
            return sequence && sequence->PositionOf(serial) ? SerialFit::Fits
                                                            : SerialFit::DoesNotFit;
        }
        case JobScheme::Format:
            return FitsSerialFormat(serials.format, serial);
        case JobScheme::List:
            return std::find(listSerials.begin(), listSerials.end(), serial) != listSerials.end()
                       ? SerialFit::Fits
                       : SerialFit::DoesNotFit;
    }
    return SerialFit::DoesNotFit;
}

SerialFit FitsSerialFormat(const std::string& format, const std::string& serial) {
    // Any period fits: an audit tells a board of last week's run from a foreign one, not its day.
    std::optional<SerialFormat> parsed = ParseSerialFormat(format).format;
    return parsed && ReadSerial(*parsed, serial) ? SerialFit::Fits : SerialFit::DoesNotFit;
}

std::string ShownScheme(const JobSerials& serials) {
    switch (serials.scheme) {
        case JobScheme::None:
            return "any";
        case JobScheme::From: {
            // The counter is the trailing digits: they show as #, the prefix as it is.
            size_t digits = serials.from.find_last_not_of("0123456789") + 1;
            return serials.from.substr(0, digits) + std::string(serials.from.size() - digits, '#');
        }
        case JobScheme::Format:
            return serials.format;
        case JobScheme::List:
            return "in the list " + serials.list;
    }
    return "";
}
