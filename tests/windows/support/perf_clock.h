// Time on the performance counter, a user-space clock under Wine (no server call).
#pragma once

#include <windows.h>

inline double NowMicros() {
    static const double ticksPerMicro = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e6;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMicro;
}

inline double NowMs() {
    return NowMicros() / 1000;
}
