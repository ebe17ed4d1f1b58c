#include "form_values.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "chip_identity.h"
#include "string_descriptor.h"

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Each ID text is read into a zero-filled buffer of its own, so no character of one ID can take
// part in the other, and positions past the end of a short text are NULs: invalid digits.
uint16_t GatherId(ConfigForm& form, FormText which) {
    char text[VENDOR_ID_CHARS + 1] = {};
    form.GetText(which, text, sizeof(text));
    uint8_t high = 0;
    uint8_t low = 0;
    ParseHexPair(text, high);
    ParseHexPair(text + 2, low);
    return static_cast<uint16_t>((high << 8) | low);
}

// The product text's code units, as many as the conversion gives (none when it fails).
std::u16string GatherProduct(ConfigForm& form, CodePage& codePage) {
    char text[PRODUCT_CHARS + 1] = {};
    form.GetText(FormText::Product, text, sizeof(text));
    uint16_t units[PRODUCT_UNITS] = {};
    int length = static_cast<int>(std::strlen(text));
    int produced = length > 0 ? codePage.ToWide(text, length, units, PRODUCT_UNITS) : 0;
    if (produced < 0 || produced > PRODUCT_UNITS) {
        produced = 0;
    }
    return std::u16string(units, units + produced);
}

bool IsHighSurrogate(uint16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// The stored string up to its first zero code unit, in the ANSI code page, terminated. A string
// whose conversion does not fit the 31 bytes before the terminator is cut at the last whole
// character that fits: never a split double-byte character, never a split surrogate pair.
void ProductText(const ConfigRecord& record, CodePage& codePage,
                 char (&text)[SHOWN_PRODUCT_BUFFER]) {
    uint16_t units[PRODUCT_UNITS];
    int count = 0;
    for (; count < PRODUCT_UNITS; count++) {
        units[count] = DescriptorUnit(record, count);
        if (units[count] == 0) {
            break;
        }
    }
    std::memset(text, 0, sizeof(text));
    for (int take = count; take > 0; take--) {
        if (take < count && IsHighSurrogate(units[take - 1])) {
            continue;
        }
        int written = codePage.ToAnsi(units, take, text, SHOWN_PRODUCT_BUFFER - 1);
        if (written > 0 && written < SHOWN_PRODUCT_BUFFER) {
            text[written] = '\0';
            return;
        }
        std::memset(text, 0, sizeof(text));
    }
}

}  // namespace

void FillDefaults(ConfigForm& form) {
    form.SetText(FormText::VendorId, DEFAULT_VID);
    form.SetText(FormText::ProductId, DEFAULT_PID);
    form.SetChecked(FormBox::ProductEnabled, 1);
    form.SetText(FormText::Product, DEFAULT_PRODUCT);
    form.SetChecked(FormBox::SerialEnabled, 0);
    form.SetText(FormText::Serial, "");
}

int ParseHexPair(const char* pair, uint8_t& value) {
    int high = HexDigitValue(pair[0]);
    if (high < 0) {
        return 0;
    }
    int low = HexDigitValue(pair[1]);
    if (low < 0) {
        return 0;
    }
    value = static_cast<uint8_t>((high << 4) | low);
    return 1;
}

int IsFullHexId(const char* text) {
    uint8_t ignored = 0;
    return std::strlen(text) == 4 && ParseHexPair(text, ignored) && ParseHexPair(text + 2, ignored);
}

int GatherForm(ConfigForm& form, CodePage& codePage, RecordPtr& pendingRecord) {
    ChipIdentity identity;
    identity.lock = form.IsChecked(FormBox::WriteProtect) == 1;
    identity.vendorId = GatherId(form, FormText::VendorId);
    identity.productId = GatherId(form, FormText::ProductId);
    if (form.IsChecked(FormBox::SerialEnabled) == 1) {
        char serial[SERIAL_CHARS + 1] = {};
        form.GetText(FormText::Serial, serial, sizeof(serial));
        identity.serial = serial;
    }
    if (form.IsChecked(FormBox::ProductEnabled) == 1) {
        identity.product = GatherProduct(form, codePage);
    }
    // The serial box holds at most the chip's 8 characters, so the identity always fits.
    Result<RecordPtr> built = BuildRecord(identity);
    pendingRecord = built ? std::move(*built) : NewRecord();
    return 1;
}

void ShowRecord(const ConfigRecord& record, CodePage& codePage, ConfigForm& form) {
    if (!record.configured) {
        return;
    }
    if (record.vendorId == 0xFFFF) {
        // A vendor ID of 0xFFFF is an erased chip's, not a real identity: offer the defaults.
        form.SetText(FormText::VendorId, DEFAULT_VID);
        form.SetText(FormText::ProductId, DEFAULT_PID);
    } else {
        char id[8];
        std::snprintf(id, sizeof(id), "%04X", static_cast<unsigned>(record.vendorId));
        form.SetText(FormText::VendorId, id);
        std::snprintf(id, sizeof(id), "%04X", static_cast<unsigned>(record.productId));
        form.SetText(FormText::ProductId, id);
    }
    form.SetChecked(FormBox::WriteProtect, record.writeProtected ? 1 : 0);
    if (record.serialPresent) {
        char serial[SERIAL_CHARS + 1] = {};
        std::memcpy(serial, record.serial, SERIAL_CHARS);
        form.SetText(FormText::Serial, serial);
        form.SetChecked(FormBox::SerialEnabled, 1);
    } else {
        form.SetText(FormText::Serial, "");
        form.SetChecked(FormBox::SerialEnabled, 0);
    }
    if (record.productPresent) {
        char text[SHOWN_PRODUCT_BUFFER];
        ProductText(record, codePage, text);
        form.SetText(FormText::Product, text);
        form.SetChecked(FormBox::ProductEnabled, 1);
    } else {
        form.SetText(FormText::Product, "");
        form.SetChecked(FormBox::ProductEnabled, 0);
    }
}
