#include "audio/out_sound.h"

namespace kelvo {

void WaveOutProc(HWaveOut, std::uint32_t message, std::uintptr_t instance, std::uintptr_t,
                 std::uintptr_t) noexcept {
    if (message == WaveOutDoneMessage) reinterpret_cast<BufferSemaphore*>(instance)->release();
}

TOutSound::~TOutSound() {
    Release(false);
}

void TOutSound::SetProperty(std::int32_t& property, std::int32_t value) {
    if (FInitStage != 0) throw EOutSound(PropertyAfterInitializationMessage);
    property = value;
}

void TOutSound::SetDevice(std::int32_t value) { SetProperty(FDevice, value); }
void TOutSound::SetSampRate(std::int32_t value) { SetProperty(FSampRate, value); }
void TOutSound::SetChannels(std::int32_t value) { SetProperty(FChannels, value); }
void TOutSound::SetBuffers(std::int32_t value) { SetProperty(FBuffers, value); }
void TOutSound::SetBufferLength(std::int32_t value) { SetProperty(FBufferLength, value); }

WaveFormat TOutSound::Format() const {
    WaveFormat format;
    format.FormatTag = WaveFormatPcm;
    format.Channels = static_cast<std::uint16_t>(FChannels);
    format.SamplesPerSec = static_cast<std::uint32_t>(FSampRate);
    format.AvgBytesPerSec = static_cast<std::uint32_t>(FChannels * 2 * FSampRate);
    format.BlockAlign = static_cast<std::uint16_t>(FChannels * 2);
    format.BitsPerSample = 16;
    format.ExtraSize = 0;
    return format;
}

void TOutSound::RaiseDeviceError(WaveOutResult code) {
    WaveOutGetErrorText(code, ErrorText, sizeof ErrorText);
    throw EOutSound(ErrorText);
}

void TOutSound::Initialize() {
    if (FInitStage != 0) throw EOutSound(ReinitializeMessage);
    // A ring needs a buffer, and a stereo buffer must end on a whole frame: the commit test is
    // equality, so an odd length would let PutSample write past the buffer.
    if (FBuffers < 1 || FBufferLength < 1 || (FChannels == 2 && FBufferLength % 2 != 0))
        throw EOutSound(InvalidBufferSettingsMessage);
    const WaveFormat format = Format();
    if (const WaveOutResult result = WaveOutQuery(FDevice, format); result != WaveOutNoError)
        RaiseDeviceError(result);
    FInitStage = 1;
    // Every buffer is free at first; nothing is filled.
    FreeSemaphore = std::make_unique<BufferSemaphore>(FBuffers);
    FilledSemaphore = std::make_unique<BufferSemaphore>(0);
    if (const WaveOutResult result =
            WaveOutOpen(&FWaveOutHandle, FDevice, format, &WaveOutProc,
                        reinterpret_cast<std::uintptr_t>(FreeSemaphore.get()));
        result != WaveOutNoError)
        RaiseDeviceError(result);
    FInitStage = 2;
    Ring = std::make_unique<WaveBuffRing>(FBuffers, FBufferLength);
    FInitStage = 3;
    TransferThread =
        std::make_unique<OutTransferThread>(*FilledSemaphore, *FreeSemaphore, FWaveOutHandle, *Ring);
    FInitStage = 4;
}

void TOutSound::PutSample(SampleFrame frame) {
    if (FInitStage != 4) throw EOutSound(SampleBeforeThreadMessage);
    if (FillIndex == 0) {
        FreeSemaphore->acquire();  // the only place the producer waits
        RaiseTransferFailure();
    }
    Ring->PutValue(FillIndex++, frame.Left);
    if (FChannels == 2) Ring->PutValue(FillIndex++, frame.Right);
    if (FillIndex == FBufferLength) Commit();
}

void TOutSound::Flush() {
    if (FillIndex == 0) return;  // an empty buffer is never queued
    RaiseTransferFailure();
    for (std::int32_t index = FillIndex; index < FBufferLength; ++index) Ring->PutValue(index, 0);
    Commit();
}

// A buffer the device refused (it went away) ends the send here: the begun buffer is dropped and
// its token given back, so the next send starts clean on whatever the device does by then. What
// was committed before belongs to the failed send: it is not played once the device is back, and
// a refusal of it is not reported again.
void TOutSound::RaiseTransferFailure() {
    const OutTransferThread::TFailure failure = TransferThread->TakeFailure();
    if (failure.Code == WaveOutNoError) return;
    if (static_cast<std::int32_t>(failure.Buffer - ReportedThrough) <= 0) return;
    FillIndex = 0;
    FreeSemaphore->release();
    ReportedThrough = static_cast<std::uint32_t>(Commits);
    TransferThread->DropCommitted(Commits);
    RaiseDeviceError(failure.Code);
}

void TOutSound::Commit() {
    Ring->GetandMoveTail();
    ++Commits;
    FilledSemaphore->release();
    FillIndex = 0;
}

void TOutSound::Close() {
    Release(true);
}

void TOutSound::Release(bool report) {
    if (TransferThread) {
        // First, so that nothing queues to the device or takes from the ring any more.
        TransferThread.reset();
        FillIndex = 0;
        Commits = 0;
        ReportedThrough = 0;
        FInitStage = 3;  // no more samples: the thread is gone
    }
    if (FWaveOutHandle != nullptr) {
        // The reset hands back every queued buffer; their callbacks still find FreeSemaphore.
        const WaveOutResult reset = WaveOutReset(FWaveOutHandle);
        if (reset != WaveOutNoError && report) RaiseDeviceError(reset);
        // A close stops the device and releases the handle even when the reset failed, so the
        // destructor can go on to free what the device might still have read.
        const WaveOutResult closed = WaveOutClose(FWaveOutHandle);
        FWaveOutHandle = nullptr;
        if (closed != WaveOutNoError && report) RaiseDeviceError(closed);
    }
    Ring.reset();
    FilledSemaphore.reset();
    FreeSemaphore.reset();
    FillIndex = 0;
    FInitStage = 0;
}

}  // namespace kelvo
