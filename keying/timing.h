#pragma once
// Keying timing: plain timing at the code speed, or Farnsworth timing where characters go at the
// faster character speed and the spacing is stretched to keep the overall code speed. The
// spacing of the 50-dit standard word (19 dits) is shared 3 to each character space and 7 to
// the word space.

namespace kelvo {

inline constexpr double CharGapUnits = 3;
inline constexpr double WordGapUnits = 7;

// Seconds. A mark of element digit d lasts d x DitTime and is followed by one DitTime of
// silence; CharGap follows every character but '@'; WordGap is played for a space or CR.
struct KeyingTiming {
    double DitTime = 0;
    double CharGap = 0;
    double WordGap = 0;
};

// Speeds in words per minute. Throws EMathError when a speed it divides by is 0.
KeyingTiming ComputeTiming(double codeSpeed, double charSpeed);

}  // namespace kelvo
