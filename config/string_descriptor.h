// The product string as the chip keeps it: a USB string descriptor of at most 18 UTF-16LE code
// units (bLength, bDescriptorType 3, the units, zeros after). Building one and reading its units
// happen here only.
#pragma once

#include <cstdint>

#include "config_record.h"

// Stores count units (at most PRODUCT_UNITS; more are cut) as the record's descriptor: length
// (count + 1) x 2, type 3, the units low byte first. The bytes after them stay as they are,
// zeros in a fresh record. productPresent is the caller's to set.
void StoreDescriptorUnits(const uint16_t* units, int count, ConfigRecord& record);

// The code unit at index (0 to PRODUCT_UNITS - 1) of the record's descriptor.
uint16_t DescriptorUnit(const ConfigRecord& record, int index);

// How many code units the descriptor's length byte announces, 0 to PRODUCT_UNITS: what a USB
// host is told the string holds.
int DescriptorUnitCount(const ConfigRecord& record);
