#pragma once
// The thread that hands committed buffers of the ring to the sound device.
//
// Threads: the owner's thread constructs, stops and destroys it; Execute runs on the thread of its
// own, at the highest scheduling priority the system grants, so that a committed buffer reaches
// the device without waiting behind the user interface. It reads the device handle, which does
// not change while it runs, takes the ring's head, and waits on the filled-buffer semaphore.
// A buffer the device refuses is not lost: its free-buffer token goes back at once, and the
// refusal waits in Failure until the owner takes it (TakeFailure) and reports it. Buffers the
// owner committed before it reported a failure are dropped, not played late (DropCommitted).
#include "audio/wave_buff_ring.h"
#include "platform/wave_out.h"

#include <atomic>
#include <cstdint>
#include <semaphore>
#include <thread>

namespace kelvo {

// Counts whole buffers: free ones for the producer, filled ones for the transfer thread.
using BufferSemaphore = std::counting_semaphore<>;

class OutTransferThread {
public:
    // Starts the loop at once.
    OutTransferThread(BufferSemaphore& filledSemaphore, BufferSemaphore& freeSemaphore,
                      HWaveOut deviceHandle, WaveBuffRing& ring);
    // Stops and joins.
    ~OutTransferThread();
    OutTransferThread(const OutTransferThread&) = delete;
    OutTransferThread& operator=(const OutTransferThread&) = delete;

    // Ends the loop and waits for it: afterwards the thread touches neither the device, the
    // semaphore nor the ring. A thread woken from its wait leaves without taking a buffer.
    void Stop() noexcept;

    // The device's refusal of a buffer: its code, and which buffer it was (counted from 1 in
    // commit order, modulo 2^32).
    struct TFailure {
        WaveOutResult Code = WaveOutNoError;
        std::uint32_t Buffer = 0;
    };
    // The latest refusal, or Code 0; taking it clears it. Stored before the refused buffer's
    // token is given back, so an owner that got that token sees it.
    TFailure TakeFailure() noexcept {
        if (Failure.load(std::memory_order_acquire) == 0) return {};
        const std::uint64_t taken = Failure.exchange(0, std::memory_order_acq_rel);
        return {static_cast<WaveOutResult>(static_cast<std::uint32_t>(taken)),
                static_cast<std::uint32_t>(taken >> 32)};
    }
    // The buffers up to the `committed`-th committed since the start that the thread has not
    // taken yet are not queued: their tokens go straight back.
    void DropCommitted(std::uint64_t committed) noexcept {
        DropThrough.store(committed, std::memory_order_release);
    }

private:
    // A guard error of the ring cannot happen while the semaphores count right; should it happen
    // anyway, noexcept ends the program rather than let a broken ring play on.
    void Execute() noexcept;

    BufferSemaphore& FilledSemaphore;
    BufferSemaphore& FreeSemaphore;
    const HWaveOut DeviceHandle;
    WaveBuffRing& Ring;
    std::atomic<bool> Terminated{false};
    std::atomic<std::uint64_t> Failure{0};  // buffer number << 32 | code as 32 bits; 0: none
    std::atomic<std::uint64_t> DropThrough{0};
    std::uint64_t Taken = 0;  // the thread's own count of buffers taken
    std::thread Thread;  // last: it starts once everything above is set
};

}  // namespace kelvo
