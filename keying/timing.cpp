#include "keying/timing.h"

#include "platform/convert.h"

namespace kelvo {

KeyingTiming ComputeTiming(double codeSpeed, double charSpeed) {
    KeyingTiming t;
    t.DitTime = FloatDivide(1.2, codeSpeed);
    t.CharGap = 2 * t.DitTime;
    t.WordGap = 2 * t.DitTime;
    if (codeSpeed >= charSpeed) return t;
    // S: dits at the character speed of all the spacing in one 50-dit standard word.
    // Only a negative code speed gets here with a character speed of 0: checked as above.
    const double S = 50 * charSpeed / codeSpeed - 31;
    t.DitTime = FloatDivide(1.2, charSpeed);
    t.CharGap = (S * CharGapUnits / 19 - 1) * t.DitTime;
    t.WordGap = S * (WordGapUnits / 19) * t.DitTime - 2 * t.CharGap - t.DitTime;
    return t;
}

}  // namespace kelvo
