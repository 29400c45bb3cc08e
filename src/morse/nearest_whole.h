// Rounding to the nearest whole number, a half away from zero: what std::round and std::llround
// promise. They are not used, because MinGW-w64's C library computes them as floor(x + 0.5), and
// 0.49999999999999994 + 0.5 is 1.0 in doubles: the Windows build rounded that value, which an
// exact tone of volume 1 and a pad or rise of a sixteenth of a millisecond give, up instead of
// down, and wrote other samples than the Linux build and the web page. Here the fraction is taken
// exactly (x - trunc(x) loses nothing), so that every system gives the same result.
#pragma once

#include <cmath>
#include <cstdint>

inline double NearestWhole(double x) {
    const double whole = std::trunc(x);
    const double fraction = x - whole;
    if (fraction >= 0.5) return whole + 1.0;
    if (fraction <= -0.5) return whole - 1.0;
    return whole;  // a NaN too, as std::round gives it
}

// For x whose nearest whole number fits 64 bits; the callers hold larger values back first.
inline int64_t NearestInt64(double x) { return static_cast<int64_t>(NearestWhole(x)); }
