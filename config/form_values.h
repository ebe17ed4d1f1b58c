// Conversion between the values the user edits and a ConfigRecord.
#pragma once

#include "code_page.h"
#include "config_form.h"
#include "config_record.h"

inline constexpr const char* DEFAULT_VID = "2E1B";
inline constexpr const char* DEFAULT_PID = "6C04";
inline constexpr const char* DEFAULT_PRODUCT = "usb2.0 serial";
inline constexpr int VENDOR_ID_CHARS = 4;
inline constexpr int PRODUCT_ID_CHARS = 4;
inline constexpr int PRODUCT_CHARS = 18;
inline constexpr int SHOWN_PRODUCT_BUFFER = 32;

// Factory identity into the form; the write-protect box is left as it is.
void FillDefaults(ConfigForm& form);

// A new zero-filled record from the form, replacing (and releasing) pendingRecord. Never fails:
// an ID pair that is not hexadecimal becomes a 0 byte.
int GatherForm(ConfigForm& form, CodePage& codePage, RecordPtr& pendingRecord);

// A record read from the chip into the form; an unconfigured record changes nothing.
void ShowRecord(const ConfigRecord& record, CodePage& codePage, ConfigForm& form);

// Two hexadecimal digits, high nibble first. 0 (and value untouched) when either is not one.
int ParseHexPair(const char* pair, uint8_t& value);

// 1 when the text is exactly four hexadecimal digits, so that GatherForm stores what it shows.
int IsFullHexId(const char* text);
