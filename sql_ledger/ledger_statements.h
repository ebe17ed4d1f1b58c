// Statements a take and a lease both run on a sequence's rows.
#pragma once

namespace statements {

inline const char* kMarkListSerial =
    "UPDATE zq_list_serials SET state = ? WHERE sequence_name = ? AND list_position = ?";
inline const char* kInsertPeriod =
    "INSERT INTO zq_periods (last_counter, sequence_name, period) VALUES (?, ?, ?)";
inline const char* kUpdatePeriod =
    "UPDATE zq_periods SET last_counter = ? WHERE sequence_name = ? AND period = ?";

}  // namespace statements
