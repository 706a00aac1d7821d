#include "platform/wave_out.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace kelvo {

namespace {

std::mutex BackendMutex;
std::shared_ptr<WaveOutBackend> Backend;

bool IsUsableHeader(const WaveHeader* header, std::size_t headerSize) {
    return header != nullptr && headerSize >= sizeof(WaveHeader);
}

}  // namespace

void WaveOutDevice::Notify(std::uint32_t message) {
    if (Callback != nullptr) Callback(this, message, Instance, 0, 0);
}

void WaveOutDevice::Done(WaveHeader& header) {
    header.Flags = (header.Flags | WaveHeaderDone) & ~WaveHeaderInQueue;
    // The callback may let the owner reuse the buffer at once: nothing touches it afterwards.
    if (Callback != nullptr)
        Callback(this, WaveOutDoneMessage, Instance, reinterpret_cast<std::uintptr_t>(&header), 0);
}

const char* WaveOutLayerErrorText(WaveOutResult code) {
    switch (code) {
    case WaveOutNoError: return "No error.";
    case WaveOutErrorBadDeviceId: return "The sound output device number is out of range.";
    case WaveOutErrorInvalidHandle: return "The sound output device handle is invalid.";
    case WaveOutErrorNoMemory: return "Too many buffers are queued on the sound output device.";
    case WaveOutErrorInvalidParam: return "An invalid parameter was passed to the sound output device.";
    case WaveOutErrorBadFormat: return "The sound output device cannot play this wave format.";
    case WaveOutErrorStillPlaying: return "The buffer is still queued on the sound output device.";
    case WaveOutErrorUnprepared: return "The buffer has not been prepared.";
    default: return nullptr;
    }
}

std::string WaveOutBackend::ErrorText(WaveOutResult code) const {
    if (const char* text = WaveOutLayerErrorText(code)) return text;
    return "Unknown sound output error " + std::to_string(code) + ".";
}

void SetWaveOutBackend(std::shared_ptr<WaveOutBackend> backend) {
    std::lock_guard lock(BackendMutex);
    Backend = std::move(backend);
}

std::shared_ptr<WaveOutBackend> CurrentWaveOutBackend() {
    std::lock_guard lock(BackendMutex);
    if (!Backend) Backend = MakePortAudioWaveOutBackend();
    return Backend;
}

bool IsPlayableWaveFormat(const WaveFormat& format) {
    return format.FormatTag == WaveFormatPcm && (format.Channels == 1 || format.Channels == 2) &&
           format.BitsPerSample == 16 && format.SamplesPerSec > 0 &&
           format.BlockAlign == format.Channels * 2 &&
           format.AvgBytesPerSec == format.SamplesPerSec * format.BlockAlign;
}

WaveOutResult WaveOutQuery(int device, const WaveFormat& format) {
    if (!IsPlayableWaveFormat(format)) return WaveOutErrorBadFormat;
    return CurrentWaveOutBackend()->Query(device, format);
}

WaveOutResult WaveOutOpen(HWaveOut* handle, int device, const WaveFormat& format,
                          WaveOutCallback callback, std::uintptr_t instance) {
    if (handle == nullptr) return WaveOutErrorInvalidParam;
    *handle = nullptr;
    if (!IsPlayableWaveFormat(format)) return WaveOutErrorBadFormat;
    std::unique_ptr<WaveOutDevice> opened;
    const WaveOutResult result =
        CurrentWaveOutBackend()->Open(opened, device, format, callback, instance);
    if (result != WaveOutNoError) return result;
    *handle = opened.release();
    return WaveOutNoError;
}

WaveOutResult WaveOutPrepareHeader(HWaveOut handle, WaveHeader* header, std::size_t headerSize) {
    if (handle == nullptr) return WaveOutErrorInvalidHandle;
    if (!IsUsableHeader(header, headerSize) || header->Data == nullptr || header->BufferLength == 0)
        return WaveOutErrorInvalidParam;
    if (header->Flags & WaveHeaderInQueue) return WaveOutErrorStillPlaying;
    header->Flags |= WaveHeaderPrepared;
    return WaveOutNoError;
}

WaveOutResult WaveOutUnprepareHeader(HWaveOut handle, WaveHeader* header, std::size_t headerSize) {
    if (handle == nullptr) return WaveOutErrorInvalidHandle;
    if (!IsUsableHeader(header, headerSize)) return WaveOutErrorInvalidParam;
    if (header->Flags & WaveHeaderInQueue) return WaveOutErrorStillPlaying;
    header->Flags &= ~WaveHeaderPrepared;
    return WaveOutNoError;
}

WaveOutResult WaveOutWrite(HWaveOut handle, WaveHeader* header, std::size_t headerSize) {
    if (handle == nullptr) return WaveOutErrorInvalidHandle;
    if (!IsUsableHeader(header, headerSize)) return WaveOutErrorInvalidParam;
    if (!(header->Flags & WaveHeaderPrepared)) return WaveOutErrorUnprepared;
    if (header->Flags & WaveHeaderInQueue) return WaveOutErrorStillPlaying;
    // The flags are set before the device sees the header: from then on only the device writes them.
    header->Flags = (header->Flags & ~WaveHeaderDone) | WaveHeaderInQueue;
    header->Next = nullptr;
    const WaveOutResult result = handle->Write(*header);
    if (result != WaveOutNoError) header->Flags &= ~WaveHeaderInQueue;
    return result;
}

WaveOutResult WaveOutReset(HWaveOut handle) {
    if (handle == nullptr) return WaveOutErrorInvalidHandle;
    return handle->Reset();
}

WaveOutResult WaveOutClose(HWaveOut handle) {
    if (handle == nullptr) return WaveOutErrorInvalidHandle;
    std::unique_ptr<WaveOutDevice> owned(handle);
    const WaveOutResult result = owned->Close();
    // A leak of one small object is the price of a device thread that would not stop.
    if (owned->StillRunning()) static_cast<void>(owned.release());
    return result;
}

WaveOutResult WaveOutGetErrorText(WaveOutResult code, char* text, std::size_t size) {
    if (text == nullptr || size == 0) return WaveOutErrorInvalidParam;
    const std::string message = CurrentWaveOutBackend()->ErrorText(code);
    const std::size_t length = std::min(message.size(), size - 1);
    std::memcpy(text, message.data(), length);
    text[length] = '\0';
    return WaveOutNoError;
}

}  // namespace kelvo
