#pragma once
// Rounding to the nearest whole number with an exact half going to the even neighbour, the rule
// the program uses for random indices, sample counts, sample values and the rating. Written out
// rather than std::nearbyint so that it never depends on the current floating-point rounding mode.
#include <cmath>

namespace kelvo {

// 2.5 -> 2, 3.5 -> 4, -2.5 -> -2, 2.4999 -> 2. NaN and infinities come back unchanged.
inline double RoundHalfEven(double x) noexcept {
    const double down = std::floor(x);
    const double fraction = x - down;  // exact: x and floor(x) lie within one unit of each other
    if (fraction < 0.5) return down;
    if (fraction > 0.5) return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

}  // namespace kelvo
