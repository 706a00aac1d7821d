#include "platform/random_source.h"

#include <chrono>
#include <utility>

namespace kelvo {

TTimeOfDay SystemTimeOfDay() {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
    const auto sinceMidnight = sinceEpoch - floor<days>(sinceEpoch);
    const hh_mm_ss<milliseconds> time{sinceMidnight};
    return TTimeOfDay{static_cast<int>(time.hours().count()),
                      static_cast<int>(time.minutes().count()),
                      static_cast<int>(time.seconds().count()),
                      static_cast<int>(time.subseconds().count())};
}

std::uint32_t TimeOfDaySeed(const TTimeOfDay& time) noexcept {
    // Unsigned arithmetic: a whole day is 86 400 000 ms, far inside 32 bits.
    const auto minutes = static_cast<std::uint32_t>(time.Hours) * 60u +
                         static_cast<std::uint32_t>(time.Minutes);
    const auto seconds = minutes * 60u + static_cast<std::uint32_t>(time.Seconds);
    return seconds * 1000u + static_cast<std::uint32_t>(time.Milliseconds);
}

TRandomSource::TRandomSource() : TRandomSource(SystemTimeOfDay) {}

TRandomSource::TRandomSource(TTimeOfDayClock clock) : Clock(std::move(clock)) {}

void TRandomSource::Randomize() {
    State = TimeOfDaySeed(Clock());
}

double TRandomSource::Random() noexcept {
    State = State * Multiplier + 1u;  // wraps modulo 2^32 by unsigned arithmetic
    return static_cast<double>(State) / 4294967296.0;
}

}  // namespace kelvo
