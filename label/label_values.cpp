#include "label_values.h"

LabelValues LabelValuesOf(const LedgerEntry& record) {
    LabelValues values;
    values.serial = record.serial;
    values.vid = record.vid;
    values.pid = record.pid;
    values.product = record.product;
    values.station = record.station;
    values.port = record.port;
    // The record's time is "2026-12-07T15:31:44.823Z".
    values.date = record.time.substr(0, 10);
    values.time = record.time.size() >= 19 ? record.time.substr(11, 8) : "";
    values.job = record.job;
    return values;
}
