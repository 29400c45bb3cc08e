#include "morse/keying.h"

#include <cmath>

#include "morse/nearest_whole.h"
#include "morse/timing.h"

namespace {

constexpr double kPi = 3.141592653589793;

}  // namespace

Rise RiseFor(double milliseconds, int32_t rate, int64_t unitTicks) {
    Rise rise;
    const double asked = milliseconds * rate / 1000.0;
    // 0, negative or not a number: keyed hard; elements of no length have nothing to shape.
    if (!(asked > 0.0) || unitTicks <= 0) return rise;
    const int64_t longest = unitTicks / kTicksPerSample / 2;
    if (asked > static_cast<double>(longest)) {
        rise.samples = longest;
        // Compared as a double: a rise beyond 64 bits of samples has no rounded count to compare.
        rise.clamped = asked >= static_cast<double>(longest) + 0.5;
        return rise;
    }
    rise.samples = NearestInt64(asked);
    return rise;
}

std::vector<double> RiseGains(int64_t samples) {
    std::vector<double> gains(static_cast<std::size_t>(samples > 0 ? samples : 0));
    for (std::size_t j = 0; j < gains.size(); ++j) {
        const double x = (static_cast<double>(j) + 0.5) / static_cast<double>(samples);
        gains[j] = (1.0 - std::cos(kPi * x)) / 2.0;
    }
    return gains;
}
