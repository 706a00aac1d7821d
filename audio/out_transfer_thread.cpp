#include "audio/out_transfer_thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include <algorithm>

namespace kelvo {

namespace {

// The highest real-time priority the system grants this process: the scheduler's maximum when it
// lets us have any (as root, say), else the limit a desktop sets for its users (RLIMIT_RTPRIO, often
// far below the maximum). Without any right to it the thread keeps its normal priority.
void RaiseToHighestPriority() noexcept {
    const int highest = sched_get_priority_max(SCHED_FIFO);
    if (highest < 0) return;
    sched_param parameter{};
    parameter.sched_priority = highest;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameter) == 0) return;
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) != 0 || limit.rlim_cur == 0) return;
    // RLIM_INFINITY is the largest rlim_t, so the smaller of the two is the one allowed.
    parameter.sched_priority = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, rlim_t(highest)));
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameter);
}

}  // namespace

OutTransferThread::OutTransferThread(BufferSemaphore& filledSemaphore,
                                     BufferSemaphore& freeSemaphore, HWaveOut deviceHandle,
                                     WaveBuffRing& ring)
    : FilledSemaphore(filledSemaphore), FreeSemaphore(freeSemaphore), DeviceHandle(deviceHandle),
      Ring(ring),
      Thread([this] { Execute(); }) {}

OutTransferThread::~OutTransferThread() {
    Stop();
}

void OutTransferThread::Stop() noexcept {
    if (!Thread.joinable()) return;
    Terminated.store(true);
    FilledSemaphore.release();  // wakes the loop if it waits for a filled buffer
    Thread.join();
}

void OutTransferThread::Execute() noexcept {
    RaiseToHighestPriority();
    while (!Terminated.load()) {
        FilledSemaphore.acquire();
        if (Terminated.load()) break;
        WaveBuff& buffer = Ring.GetandMoveHead();
        if (++Taken <= DropThrough.load(std::memory_order_acquire)) {
            FreeSemaphore.release();
            continue;
        }
        // Each use is prepared afresh; unpreparing a fresh header does nothing.
        WaveOutUnprepareHeader(DeviceHandle, buffer.HeaderAddress(), sizeof(WaveHeader));
        WaveOutPrepareHeader(DeviceHandle, buffer.HeaderAddress(), sizeof(WaveHeader));
        if (Terminated.load()) break;
        const WaveOutResult result =
            WaveOutWrite(DeviceHandle, buffer.HeaderAddress(), sizeof(WaveHeader));
        if (result != WaveOutNoError) {
            // No done callback comes for a refused buffer: its token goes back here, after the
            // failure is visible, or the producer would wait for ever.
            const std::uint64_t failure = std::uint64_t(std::uint32_t(Taken)) << 32 | std::uint32_t(result);
            Failure.store(failure, std::memory_order_release);
            FreeSemaphore.release();
        }
    }
}

}  // namespace kelvo
