// The batch's workers: every chip port that appears gets a turn on a thread of its own, until the
// batch stops; then the turns in progress finish.
#pragma once

#include <windows.h>

#include <functional>

#include "batch.h"

// Returns once the batch has stopped and every turn has ended. wake is signalled when the batch
// stops; stopAsked is the user's word to stop (Ctrl+C, a Stop button), looked at between
// arrivals, and stops the batch as an interruption.
void RunBatchWorkers(Batch& batch, HANDLE wake, const std::function<bool()>& stopAsked);
