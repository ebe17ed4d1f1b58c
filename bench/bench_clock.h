// Time and summaries for the Windows-side benchmarks.
#pragma once

#include <vector>

// Microseconds on the performance counter (a user-space clock under Wine: no server call).
double NowMicros();

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);
