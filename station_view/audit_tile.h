// What a port's tile says about a board an audit station read: the same tiles as a batch's, in
// the audit's own words, so a PASS means the board is exactly what its job or record says.
#pragma once

#include <string>

#include "audit_report.h"
#include "station_texts.h"
#include "tile_content.h"

// jobId: the job audited against ("" against a sequence, whose serial field already says where
// the board was verified).
TileContent AuditTile(const Texts& texts, const AuditReport& report, const std::string& jobId);
// The board could not be read (or its records could not be): problem says why.
TileContent AuditUnreadTile(const Texts& texts, const std::string& problem);
