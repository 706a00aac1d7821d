#pragma once
// The sound output device: turns a stream of 16-bit sample frames into continuous sound through a
// ring of buffers, a transfer thread and the wave output layer, and blocks the producer whenever
// all buffers are in use, which paces the program to the sound card.
//
// Threads:
// - The owner's thread (the user interface) is the only one that calls the members: setters,
//   Initialize, PutSample, Flush, Close and the destructor. FillIndex, the ring's tail and the
//   buffer being filled belong to it.
// - The transfer thread waits on FilledSemaphore and queues buffers to the device.
// - The device's done callback, WaveOutProc, runs on a thread of the device and only releases
//   FreeSemaphore.
// A buffer passes between them only through the two semaphores: the producer writes it between
// taking a FreeSemaphore token and releasing FilledSemaphore; the device reads it between the
// queue call and its done callback.
#include "audio/out_transfer_thread.h"
#include "audio/wave_buff_ring.h"
#include "platform/wave_out.h"

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace kelvo {

class EOutSound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* PropertyAfterInitializationMessage =
    "Cannot set soundcard property after initialization.";
inline constexpr const char* ReinitializeMessage = "Cannot reinitialize sound output device";
inline constexpr const char* SampleBeforeThreadMessage =
    "Cannot send sample until output transfer thread has been created.";
inline constexpr const char* InvalidBufferSettingsMessage =
    "Cannot initialize sound output device: invalid buffer settings.";

// One frame: Right is used only with two channels.
struct SampleFrame {
    std::int16_t Left = 0;
    std::int16_t Right = 0;
};

// The device's done callback: on the buffer-done message it gives a FreeSemaphore token back
// (the semaphore is the instance data). Every other message is ignored. It calls no device
// operation and never blocks.
void WaveOutProc(HWaveOut device, std::uint32_t message, std::uintptr_t instance,
                 std::uintptr_t param1, std::uintptr_t param2) noexcept;

class TOutSound {
public:
    TOutSound() = default;
    // Does what Close does, but a device error is swallowed and the rest is released anyway.
    ~TOutSound();
    TOutSound(const TOutSound&) = delete;
    TOutSound& operator=(const TOutSound&) = delete;

    // Settable only while InitStage is 0; otherwise EOutSound and the value stays.
    std::int32_t Device() const noexcept { return FDevice; }  // -1: the default output
    void SetDevice(std::int32_t value);
    std::int32_t SampRate() const noexcept { return FSampRate; }
    void SetSampRate(std::int32_t value);
    std::int32_t Channels() const noexcept { return FChannels; }  // 1 or 2 (interleaved)
    void SetChannels(std::int32_t value);
    std::int32_t Buffers() const noexcept { return FBuffers; }
    void SetBuffers(std::int32_t value);
    std::int32_t BufferLength() const noexcept { return FBufferLength; }  // values per buffer
    void SetBufferLength(std::int32_t value);
    HWaveOut WaveOutHandle() const noexcept { return FWaveOutHandle; }
    // 0 nothing, 1 format accepted and semaphores made, 2 device open, 3 ring made, 4 thread runs.
    int InitStage() const noexcept { return FInitStage; }

    // Opens the device for the properties' format and starts the machinery. Raises EOutSound with
    // the device's error text when the format is refused (stage stays 0) or the open fails
    // (stage stays 1).
    void Initialize();
    // Appends one frame; waits only when it starts a buffer while all are in use. A full buffer
    // is committed to the device. When the device refused a buffer since the last call that
    // started one (it went away), raises EOutSound with the device's error text instead.
    void PutSample(SampleFrame frame);
    // Completes a partly filled buffer with silence and commits it; nothing when none is begun.
    // A refusal of the device is raised as in PutSample, and the begun buffer is dropped.
    void Flush();
    // Stops the thread, resets and closes the device and frees everything: InitStage 0 again.
    // A failing reset or close raises EOutSound with the device's error text and leaves the rest
    // for a later Close or the destructor.
    void Close();

private:
    void SetProperty(std::int32_t& property, std::int32_t value);
    void Commit();
    void RaiseTransferFailure();
    void Release(bool report);
    [[noreturn]] void RaiseDeviceError(WaveOutResult code);
    WaveFormat Format() const;

    std::int32_t FDevice = WaveOutDefaultDevice;
    std::int32_t FSampRate = 44100;
    std::int32_t FChannels = 1;
    std::int32_t FBuffers = 3;
    std::int32_t FBufferLength = 20000;
    HWaveOut FWaveOutHandle = nullptr;

    std::unique_ptr<BufferSemaphore> FreeSemaphore;    // buffers the producer may still start
    std::unique_ptr<BufferSemaphore> FilledSemaphore;  // committed buffers not yet taken
    std::unique_ptr<WaveBuffRing> Ring;
    std::int32_t FillIndex = 0;  // values in the tail buffer; 0: no buffer begun
    std::uint64_t Commits = 0;   // buffers committed to the running transfer thread
    std::uint32_t ReportedThrough = 0;  // buffers up to here belong to a failure already raised
    std::unique_ptr<OutTransferThread> TransferThread;
    std::uint8_t FInitStage = 0;
    char ErrorText[WaveOutErrorTextLength] = {};
};

}  // namespace kelvo
