#pragma once
// A wave output device for tests: it plays nothing, records every queued sample in queue order,
// and reports buffers done in one of three ways (at once, after their play time, or when the test
// releases them). It can be told to fail its operations with a given code, and to go away the way a
// sound server does: every buffer it holds comes back as done, and every later write fails.
//
// Threads: every member may be called from any thread. Done callbacks run
// - AtOnce: on the thread that queued the buffer, inside WaveOutWrite;
// - PlayTime: on the device's own timing thread, each buffer its duration after the previous one
//   ended (or after it was queued, if the device was idle);
// - Stalled: on the thread that calls Release;
// - and for buffers handed back by a reset or close: on the thread that called it.
// Callbacks never run concurrently with one another, and never after the device's close returned.
#include "platform/wave_out.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kelvo {

class WaveOutCapture final : public WaveOutBackend,
                             public std::enable_shared_from_this<WaveOutCapture> {
public:
    enum class Completion { AtOnce, PlayTime, Stalled };

    explicit WaveOutCapture(Completion completion = Completion::AtOnce);
    ~WaveOutCapture() override;
    WaveOutCapture(const WaveOutCapture&) = delete;
    WaveOutCapture& operator=(const WaveOutCapture&) = delete;

    // Every sample queued so far, in queue order.
    std::vector<std::int16_t> Samples() const;
    void ClearSamples();
    // Buffers queued since creation, and those of them not yet reported done.
    std::size_t QueuedCount() const;
    std::size_t PendingCount() const;
    // Waits at most `limit` until at least `count` buffers have been queued in total.
    bool WaitForQueued(std::size_t count, std::chrono::milliseconds limit) const;
    // The format of the last query or open.
    WaveFormat LastFormat() const;
    // Devices open now.
    int OpenCount() const;

    // Reports the `count` oldest pending buffers done (fewer if fewer are pending); returns how many.
    std::size_t Release(std::size_t count);

    // From now on the operation returns `code` (0: works again). A failing reset changes nothing;
    // a failing close still closes, as every close does.
    void FailQuery(WaveOutResult code);
    void FailOpen(WaveOutResult code);
    void FailReset(WaveOutResult code);
    void FailClose(WaveOutResult code);
    // Goes away now: every pending buffer is reported done (on this thread) and every later write
    // returns `code`, until Lose(0) brings it back.
    void Lose(WaveOutResult code);
    // Goes away the same way by itself, right after the `count`-th buffer since creation has been
    // queued (that one is accepted, and handed back with the others).
    void LoseAfter(std::size_t count, WaveOutResult code);

    WaveOutResult Query(int device, const WaveFormat& format) override;
    WaveOutResult Open(std::unique_ptr<WaveOutDevice>& out, int device, const WaveFormat& format,
                       WaveOutCallback callback, std::uintptr_t instance) override;
    // The layer's texts for its codes, and "Capture device failure N." for any other.
    std::string ErrorText(WaveOutResult code) const override;

private:
    class Device;
    struct Entry {
        Device* Owner;
        WaveHeader* Header;
        std::chrono::steady_clock::time_point Due;
    };

    WaveOutResult Write(Device& device, WaveHeader& header);
    WaveOutResult Reset(Device& device);
    WaveOutResult Close(Device& device);
    // Reports done every pending buffer of `device`, or of every device when it is nullptr.
    void ReturnAll(Device* device);
    void TimingLoop();

    const Completion Mode;
    // Taken first by whoever reports buffers done, and held while it does: a device can only be
    // closed between callbacks.
    std::mutex DeliverMutex;
    mutable std::mutex Mutex;  // everything below
    mutable std::condition_variable Changed;
    std::vector<std::int16_t> Recorded;
    std::deque<Entry> Pending;
    std::chrono::steady_clock::time_point LastDue{};
    std::size_t Queued = 0;
    WaveFormat Format{};
    int OpenDevices = 0;
    WaveOutResult QueryFailure = 0;
    WaveOutResult OpenFailure = 0;
    WaveOutResult ResetFailure = 0;
    WaveOutResult CloseFailure = 0;
    WaveOutResult WriteFailure = 0;
    std::size_t LoseAt = 0;  // 0: never
    WaveOutResult LoseCode = 0;
    bool Stopping = false;
    std::thread Timing;  // PlayTime only
};

}  // namespace kelvo
