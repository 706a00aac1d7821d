#pragma once
// The uniform pseudo-random source: a 32-bit linear congruential generator giving doubles in
// [0, 1). The same seed gives the same sequence, so the drill and the group generator can be
// replayed in tests. Not thread-safe; each user owns its own instance.
#include <cstdint>
#include <functional>

namespace kelvo {

// A time of day, UTC.
struct TTimeOfDay {
    int Hours = 0;
    int Minutes = 0;
    int Seconds = 0;
    int Milliseconds = 0;
};

// The clock read by Randomize; tests pass a fixed one.
using TTimeOfDayClock = std::function<TTimeOfDay()>;

// The system clock's current time of day, UTC.
TTimeOfDay SystemTimeOfDay();

// Milliseconds since midnight: ((h x 60 + m) x 60 + s) x 1000 + ms.
std::uint32_t TimeOfDaySeed(const TTimeOfDay& time) noexcept;

class TRandomSource {
public:
    static constexpr std::uint32_t Multiplier = 134775813;

    // Reads the system clock when reseeded.
    TRandomSource();
    explicit TRandomSource(TTimeOfDayClock clock);

    // Reseeds from the clock's time of day.
    void Randomize();
    void SetSeed(std::uint32_t seed) noexcept { State = seed; }
    // The current state: the seed of the rest of the sequence.
    std::uint32_t Seed() const noexcept { return State; }

    // Advances the state and returns it as a fraction of 2^32, in [0, 1).
    double Random() noexcept;

private:
    TTimeOfDayClock Clock;
    std::uint32_t State = 0;
};

}  // namespace kelvo
