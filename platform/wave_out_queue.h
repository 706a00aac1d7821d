#pragma once
// Lock-free pieces of the PortAudio wave output, apart so that they can be tested alone: the queue
// that passes headers between the writers, the audio thread and the notifier, and the gate that
// shuts the audio thread out of the buffers when its stream cannot be stopped. Neither blocks the
// audio thread, takes a lock or allocates.
#include "platform/wave_out.h"

#include <atomic>
#include <thread>

namespace kelvo {

// Queue of headers linked through their own Next field (Vyukov's intrusive queue): it holds any
// number of buffers without allocating. Any thread may push; one thread at a time pops. Neither
// side blocks. A header popped is no longer referred to by the queue.
class HeaderQueue {
public:
    HeaderQueue() noexcept : Back(&Stub), Front(&Stub) {}
    HeaderQueue(const HeaderQueue&) = delete;
    HeaderQueue& operator=(const HeaderQueue&) = delete;

    void Push(WaveHeader* header) noexcept {
        Link(header).store(nullptr, std::memory_order_relaxed);
        WaveHeader* previous = Back.exchange(header, std::memory_order_acq_rel);
        Link(previous).store(header, std::memory_order_release);
    }
    // nullptr when empty, or when a push is half-way (its header then comes at the next call).
    WaveHeader* Pop() noexcept {
        WaveHeader* front = Front;
        WaveHeader* next = Link(front).load(std::memory_order_acquire);
        if (front == &Stub) {
            if (next == nullptr) return nullptr;
            Front = front = next;
            next = Link(next).load(std::memory_order_acquire);
        }
        if (next == nullptr) {
            if (front != Back.load(std::memory_order_acquire)) return nullptr;
            Push(&Stub);  // so that the last header can leave
            next = Link(front).load(std::memory_order_acquire);
            if (next == nullptr) return nullptr;
        }
        Front = next;
        return front;
    }

private:
    static std::atomic_ref<WaveHeader*> Link(WaveHeader* header) noexcept {
        return std::atomic_ref<WaveHeader*>(header->Next);
    }

    WaveHeader Stub;
    std::atomic<WaveHeader*> Back;
    WaveHeader* Front;  // the popping thread's
};

// Shuts the audio thread out of the device's buffers when its stream cannot be stopped: after
// Shut returns, no call of the stream callback reads them any more.
class CallbackGate {
public:
    bool Enter() noexcept {
        Inside.store(true);
        if (!Closed.load()) return true;
        Inside.store(false);
        return false;
    }
    void Leave() noexcept { Inside.store(false, std::memory_order_release); }
    void Shut() noexcept {
        Closed.store(true);
        while (Inside.load()) std::this_thread::yield();  // one callback's copy at most
    }

private:
    std::atomic<bool> Inside{false};
    std::atomic<bool> Closed{false};
};

}  // namespace kelvo
