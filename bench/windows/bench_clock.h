// Time and summaries for the Windows-side benchmarks.
#pragma once

#include <vector>

#include "perf_clock.h"

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);
