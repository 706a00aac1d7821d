#include "audio/out_transfer_thread.h"

#include <pthread.h>
#include <sched.h>

namespace kelvo {

namespace {

// The highest real-time priority if the system grants it; without the right to it the thread
// simply keeps its normal priority.
void RaiseToHighestPriority() noexcept {
    sched_param parameter{};
    parameter.sched_priority = sched_get_priority_max(SCHED_FIFO);
    if (parameter.sched_priority >= 0)
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameter);
}

}  // namespace

OutTransferThread::OutTransferThread(BufferSemaphore& filledSemaphore, HWaveOut deviceHandle,
                                     WaveBuffRing& ring)
    : FilledSemaphore(filledSemaphore), DeviceHandle(deviceHandle), Ring(ring),
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
        // Each use is prepared afresh; unpreparing a fresh header does nothing.
        WaveOutUnprepareHeader(DeviceHandle, buffer.HeaderAddress(), sizeof(WaveHeader));
        WaveOutPrepareHeader(DeviceHandle, buffer.HeaderAddress(), sizeof(WaveHeader));
        if (Terminated.load()) break;
        WaveOutWrite(DeviceHandle, buffer.HeaderAddress(), sizeof(WaveHeader));
    }
}

}  // namespace kelvo
