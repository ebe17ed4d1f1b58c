// A job captured from a known-good board: the identity the chip holds (never its serial: a serial
// belongs to one board) and the serial scheme the operator names, as a job file's text.
#pragma once

#include <string>

#include "batch_options.h"
#include "config_record.h"
#include "result.h"

// The file's text, read back by the job file's reader before it is returned, so capture never
// writes a job that --job would refuse. Refused: a chip that is not configured (blank, or showing
// its maker's identity), one without a product string, an identity the reader refuses.
Result<std::string> CapturedJobText(const ConfigRecord& chip, const SchemeOptions& scheme);
