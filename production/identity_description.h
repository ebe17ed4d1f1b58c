// An identity in words, for the questions that must name exactly what will be written: the lock's
// above all.
#pragma once

#include <string>

#include "chip_identity.h"

// "VID 2E1B, PID 6C04, serial ZQ000001, product "usb2.0 serial"". serials, when given, stands
// in for the serial: a batch's chips each get their own ("serials from ZQ000001").
std::string DescribeIdentity(const ChipIdentity& identity, const std::string& serials = "");

// What a batch's chips get, from the serial its next take would hand out: "serials from
// ZQ000001", or, when none is left now (a period's counter used up, a list used), that none is,
// so the lock's question never names an empty serial.
std::string SerialsFrom(const std::string& next);
