#pragma once
// The circle of sample buffers through which all sound reaches the device. Each buffer carries its
// device header inside itself, so a filled buffer is queued by the header's address, uncopied.
//
// Threads: one producer calls PutValue and GetandMoveTail (it owns Tail and the tail buffer's
// values); one consumer calls GetandMoveHead (it owns Head). FilledCount is the only state both
// touch, and it is atomic. The ring never waits and never allocates after construction: keeping it
// from running full or empty is the caller's job, and its errors are guards a correct caller never
// trips. A refused call changes nothing.
#include "platform/wave_out.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace kelvo {

class EWaveBuffRing : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* PutValueFullMessage = "Attempt to PutValue when WaveBuffRing full.";
inline constexpr const char* GetandMoveHeadEmptyMessage =
    "Attempt to GetandMoveHead when WaveBuffRing empty.";
inline constexpr const char* GetandMoveTailFullMessage =
    "Attempt to GetandMoveTail when WaveBuffRing full.";

// One block of 16-bit values (for two channels interleaved left, right) with its device header.
class WaveBuff {
public:
    // The values are left uninitialised; the header points at them, 2 × length bytes long.
    explicit WaveBuff(std::int32_t length);
    virtual ~WaveBuff();
    // The header holds the address of the values, and the device holds the header's address.
    WaveBuff(const WaveBuff&) = delete;
    WaveBuff& operator=(const WaveBuff&) = delete;

    std::int32_t Length() const noexcept { return FLength; }
    WaveBuff& Next() const noexcept { return *FNext; }
    // No bounds test: the caller keeps 0 ≤ index < Length.
    std::int16_t* ValueAddress(std::int32_t index) noexcept { return &Data[index]; }
    WaveHeader* HeaderAddress() noexcept { return &Header; }

private:
    friend class WaveBuffRing;

    const std::int32_t FLength;
    WaveBuff* FNext = nullptr;  // set by the ring; not owned
    std::unique_ptr<std::int16_t[]> Data;
    WaveHeader Header;
};

class WaveBuffRing {
public:
    // bufferCount ≥ 1 buffers of bufferLength ≥ 1 values; Head = Tail = the first; empty.
    WaveBuffRing(std::int32_t bufferCount, std::int32_t bufferLength);
    virtual ~WaveBuffRing();
    WaveBuffRing(const WaveBuffRing&) = delete;
    WaveBuffRing& operator=(const WaveBuffRing&) = delete;

    // Producer: stores value at index of the Tail buffer.
    void PutValue(std::int32_t index, std::int16_t value) {
        if (FFilledCount.load(std::memory_order_acquire) >= FBufferCount) [[unlikely]]
            ThrowFull(PutValueFullMessage);
        FTail->Data[index] = value;
    }
    // Producer: commits the Tail buffer and returns it; Tail moves on.
    WaveBuff& GetandMoveTail();
    // Consumer: returns the oldest committed buffer; Head moves on.
    WaveBuff& GetandMoveHead();

    std::int32_t BufferCount() const noexcept { return FBufferCount; }
    std::int32_t FilledCount() const noexcept { return FFilledCount.load(std::memory_order_acquire); }
    // Head and Tail coincide both when the ring is empty and when it is full.
    WaveBuff& Head() const noexcept { return *FHead; }
    WaveBuff& Tail() const noexcept { return *FTail; }

private:
    [[noreturn]] static void ThrowFull(const char* message);

    const std::int32_t FBufferCount;
    std::atomic<std::int32_t> FFilledCount{0};
    std::vector<std::unique_ptr<WaveBuff>> Buffers;  // owns each buffer once; the circle is by Next
    WaveBuff* FHead;
    WaveBuff* FTail;
};

}  // namespace kelvo
