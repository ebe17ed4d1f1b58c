// Odd environments: the chip's port vanishes (and comes back) while a job runs or while the
// tool waits for the user, and the tool must report it and keep working.
#pragma once

#include <functional>

#include "fault_runner.h"

void RunVanishCases(FaultRunner& runner, SimControl& sim,
                    const std::function<void(const CaseResult&)>& record);
