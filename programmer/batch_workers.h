// The batch's workers: every chip port that appears gets a turn on a thread of its own, until the
// batch stops; then the turns in progress finish.
#pragma once

#include <windows.h>

#include "batch.h"

// Returns once the batch has stopped (stopEvent is signalled then, or Ctrl+C was pressed) and
// every turn has ended.
void RunBatchWorkers(Batch& batch, HANDLE stopEvent);
