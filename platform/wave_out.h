#pragma once
// Wave output: a buffer-queue sound interface. The caller opens a device for 16-bit PCM with a
// done callback, prepares buffers whose header lives at a fixed address inside each buffer, queues
// them (they play back to back, in queue order), and gets exactly one done callback per queued
// buffer, whether it was played or handed back by a reset or a close.
//
// Which device answers is a process-wide choice made before the first device is opened
// (SetWaveOutBackend): PortAudio's output for the program, a capture device for tests.
//
// Threads:
// - Every WaveOut* function may be called from any thread, but not from inside the done callback
//   (a reset or close there would wait for itself).
// - The done callback runs on a thread of the device's choosing (each device says which). It must
//   be short and must not call back into this interface.
// - SetWaveOutBackend is called before devices are opened (the program never calls it; tests do
//   between cases). A device already open keeps the kind it was opened with.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kelvo {

// 0 means success; anything else is an error code that WaveOutGetErrorText turns into a text.
using WaveOutResult = int;

inline constexpr WaveOutResult WaveOutNoError = 0;
// Codes of the layer itself (same values as the classic interface; every device may return them).
inline constexpr WaveOutResult WaveOutErrorBadDeviceId = 2;
inline constexpr WaveOutResult WaveOutErrorInvalidHandle = 5;
inline constexpr WaveOutResult WaveOutErrorNoMemory = 7;
inline constexpr WaveOutResult WaveOutErrorInvalidParam = 11;
inline constexpr WaveOutResult WaveOutErrorBadFormat = 32;
inline constexpr WaveOutResult WaveOutErrorStillPlaying = 33;
inline constexpr WaveOutResult WaveOutErrorUnprepared = 34;

// Messages handed to the done callback.
inline constexpr std::uint32_t WaveOutOpenMessage = 0x3BB;
inline constexpr std::uint32_t WaveOutCloseMessage = 0x3BC;
inline constexpr std::uint32_t WaveOutDoneMessage = 0x3BD;  // 957: param1 is the header address

// Device -1 is the default output device.
inline constexpr int WaveOutDefaultDevice = -1;

// Size of the caller's buffer for an error text, terminating zero included.
inline constexpr std::size_t WaveOutErrorTextLength = 256;

inline constexpr std::uint16_t WaveFormatPcm = 1;

// The format of the sound to play. Only 16-bit PCM is played.
struct WaveFormat {
    std::uint16_t FormatTag = WaveFormatPcm;
    std::uint16_t Channels = 1;
    std::uint32_t SamplesPerSec = 0;
    std::uint32_t AvgBytesPerSec = 0;  // Channels × 2 × SamplesPerSec
    std::uint16_t BlockAlign = 0;      // Channels × 2
    std::uint16_t BitsPerSample = 16;
    std::uint16_t ExtraSize = 0;
};

// Header flag bits, written by the layer while the buffer is in use.
inline constexpr std::uint32_t WaveHeaderDone = 0x01;
inline constexpr std::uint32_t WaveHeaderPrepared = 0x02;
inline constexpr std::uint32_t WaveHeaderInQueue = 0x10;

// The record that travels with one buffer. It is queued by address, so it must stay where it is
// from prepare to unprepare; the data it points to is read by the device between the queue call
// and the done callback and must not be written meanwhile.
struct WaveHeader {
    void* Data = nullptr;
    std::uint32_t BufferLength = 0;  // in bytes
    std::uint32_t BytesRecorded = 0;
    std::uintptr_t User = 0;
    std::uint32_t Flags = 0;
    std::uint32_t Loops = 0;
    WaveHeader* Next = nullptr;  // the device's own
    std::uintptr_t Reserved = 0;
};

class WaveOutDevice;
// An open device; valid from a successful WaveOutOpen until WaveOutClose.
using HWaveOut = WaveOutDevice*;

// (device, message, instance data given to WaveOutOpen, param1, param2)
using WaveOutCallback = void (*)(HWaveOut, std::uint32_t, std::uintptr_t, std::uintptr_t,
                                 std::uintptr_t);

// One open device. Devices derive from it; callers only hold its address as a handle.
class WaveOutDevice {
public:
    WaveOutDevice(const WaveOutDevice&) = delete;
    WaveOutDevice& operator=(const WaveOutDevice&) = delete;
    virtual ~WaveOutDevice() = default;

    // Queues a prepared header; the layer has already checked and set its flags.
    virtual WaveOutResult Write(WaveHeader& header) = 0;
    // Stops at once and hands every queued buffer back as done (one callback each) before it
    // returns; buffers queued afterwards play again.
    virtual WaveOutResult Reset() = 0;
    // Like Reset, then sends the close message and stops every thread of the device. No callback
    // follows, and no queued buffer is read any more, whatever the result. The layer deletes the
    // device afterwards unless it still runs (below).
    virtual WaveOutResult Close() = 0;
    // True after a Close that could not stop the device's own audio thread: that thread may still
    // call into the device object (never into the owner's buffers), so the object is left alive.
    virtual bool StillRunning() const noexcept { return false; }

protected:
    WaveOutDevice(WaveOutCallback callback, std::uintptr_t instance)
        : Callback(callback), Instance(instance) {}

    // Sends a message other than done to the callback, if there is one.
    void Notify(std::uint32_t message);
    // Marks the header done and no longer queued, then sends the done message.
    void Done(WaveHeader& header);

private:
    WaveOutCallback Callback;
    std::uintptr_t Instance;
};

// A kind of device: PortAudio's outputs, or the capture device of the tests.
class WaveOutBackend {
public:
    virtual ~WaveOutBackend() = default;
    // 0 when `device` can play `format`; nothing stays open.
    virtual WaveOutResult Query(int device, const WaveFormat& format) = 0;
    // Opens `device`; on success `out` holds it and the open message has been sent.
    virtual WaveOutResult Open(std::unique_ptr<WaveOutDevice>& out, int device,
                               const WaveFormat& format, WaveOutCallback callback,
                               std::uintptr_t instance) = 0;
    // A readable text for a code this device returned; the layer's own codes by default.
    virtual std::string ErrorText(WaveOutResult code) const;
};

// The text of one of the layer's own codes above, or nullptr for any other code.
const char* WaveOutLayerErrorText(WaveOutResult code);

// Chooses the device kind for the whole process. Without a call, or after a call with nullptr,
// PortAudio is used.
void SetWaveOutBackend(std::shared_ptr<WaveOutBackend> backend);
std::shared_ptr<WaveOutBackend> CurrentWaveOutBackend();
std::shared_ptr<WaveOutBackend> MakePortAudioWaveOutBackend();

// Whether the format is one this layer plays: PCM, 1 or 2 channels, 16 bits, consistent sizes.
bool IsPlayableWaveFormat(const WaveFormat& format);

WaveOutResult WaveOutQuery(int device, const WaveFormat& format);
WaveOutResult WaveOutOpen(HWaveOut* handle, int device, const WaveFormat& format,
                          WaveOutCallback callback, std::uintptr_t instance);
WaveOutResult WaveOutPrepareHeader(HWaveOut handle, WaveHeader* header, std::size_t headerSize);
// Unpreparing a header that was never prepared does nothing.
WaveOutResult WaveOutUnprepareHeader(HWaveOut handle, WaveHeader* header, std::size_t headerSize);
WaveOutResult WaveOutWrite(HWaveOut handle, WaveHeader* header, std::size_t headerSize);
WaveOutResult WaveOutReset(HWaveOut handle);
// Releases the handle whatever the result; a non-zero result reports a fault met while closing.
// Afterwards no buffer of the caller is read and no callback comes, so the buffers may be freed.
WaveOutResult WaveOutClose(HWaveOut handle);
// Copies the text for `code`, cut to size − 1 characters and zero-terminated, into `text`.
WaveOutResult WaveOutGetErrorText(WaveOutResult code, char* text, std::size_t size);

}  // namespace kelvo
