// Wave output over PortAudio's callback interface.
//
// Threads of one open device:
// - Callers of Write, Reset and Close (any thread but the done callback's; serialised by
//   WriteMutex). Write hands the header to the audio thread through a lock-free queue.
// - PortAudio's audio thread runs FillOutput: it copies the queued buffers in order, plays silence
//   when none is queued, and passes each buffer it has finished reading to the notifier through a
//   second lock-free queue plus one semaphore release. It takes no lock, allocates nothing and
//   never calls the owner's code.
// - The device's notifier thread waits on that semaphore and calls the done callback, once per
//   buffer, in queue order. So the done callback always runs on the notifier thread.
// Reset and Close stop the stream first (PortAudio joins its audio thread), and only then take
// over the audio thread's side of the queues to hand back what was still queued. After a reset the
// stream stays stopped until the next Write starts it.
//
// PortAudio is initialised once per process, on the first query or open, and terminated when the
// last user of it is gone. The ALSA and JACK libraries beneath it print diagnostics to stderr while
// probing (a missing server, unknown plugin devices); those are switched off before, so a learner's
// terminal stays clean. The program reports its own failures from the error codes.
#include "platform/wave_out.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <portaudio.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <atomic>
#include <cstring>
#include <mutex>
#include <semaphore>
#include <thread>

namespace kelvo {

namespace {

// Headers queued and not yet reported done, per device. Enough for any buffer ring.
constexpr std::size_t QueueCapacity = 64;
// Longest wait after a stream start (see PortAudioDevice::Start), in seconds.
constexpr double MaxSettle = 0.25;
constexpr double MinOutputLatency = 0.25;  // seconds of sound held at the device

// Single-producer single-consumer queue of header addresses; neither side blocks or allocates.
class HeaderQueue {
public:
    bool Push(WaveHeader* header) noexcept {
        const std::size_t tail = Tail.load(std::memory_order_relaxed);
        if (tail - Head.load(std::memory_order_acquire) == QueueCapacity) return false;
        Slots[tail % QueueCapacity] = header;
        Tail.store(tail + 1, std::memory_order_release);
        return true;
    }
    WaveHeader* Pop() noexcept {
        const std::size_t head = Head.load(std::memory_order_relaxed);
        if (head == Tail.load(std::memory_order_acquire)) return nullptr;
        WaveHeader* header = Slots[head % QueueCapacity];
        Head.store(head + 1, std::memory_order_release);
        return header;
    }

private:
    std::array<WaveHeader*, QueueCapacity> Slots{};
    std::atomic<std::size_t> Head{0};
    std::atomic<std::size_t> Tail{0};
};

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
void IgnoreJackMessage(const char*) {}

// The ALSA handler stays for the life of the process: ALSA also prints when a device is opened.
// JACK is looked up at run time because its headers need not be installed; when PortAudio was
// built without it, there is nothing to silence.
void SilenceSoundLibraries() {
    snd_lib_error_set_handler(&IgnoreAlsaMessage);
    using JackMessageSetter = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (void* symbol = dlsym(RTLD_DEFAULT, name))
            reinterpret_cast<JackMessageSetter>(symbol)(&IgnoreJackMessage);
    }
}

class PortAudioLibrary {
public:
    PortAudioLibrary() {
        SilenceSoundLibraries();
        Result = Pa_Initialize();
    }
    ~PortAudioLibrary() {
        if (Result == paNoError) Pa_Terminate();
    }
    PortAudioLibrary(const PortAudioLibrary&) = delete;
    PortAudioLibrary& operator=(const PortAudioLibrary&) = delete;

    PaError Result;
};

class PortAudioDevice final : public WaveOutDevice {
public:
    PortAudioDevice(std::shared_ptr<PortAudioLibrary> library, std::size_t frameBytes,
                    WaveOutCallback callback, std::uintptr_t instance)
        : WaveOutDevice(callback, instance), Library(std::move(library)), FrameBytes(frameBytes) {}

    ~PortAudioDevice() override {
        // Only reached without a successful Close when Open failed half-way.
        if (Stream != nullptr) Pa_CloseStream(Stream);
        StopNotifier();
    }

    WaveOutResult Open(const PaStreamParameters& parameters, double sampleRate) {
        Notifier = std::thread([this] { NotifierLoop(); });
        PaError result = Pa_OpenStream(&Stream, nullptr, &parameters, sampleRate,
                                       paFramesPerBufferUnspecified, paNoFlag, &StreamCallback, this);
        if (result != paNoError) {
            Stream = nullptr;
            return result;
        }
        result = Start();
        if (result != paNoError) return result;
        Notify(WaveOutOpenMessage);
        return WaveOutNoError;
    }

    WaveOutResult Write(WaveHeader& header) override {
        std::lock_guard lock(WriteMutex);
        if (InFlight.load(std::memory_order_acquire) >= QueueCapacity) return WaveOutErrorNoMemory;
        if (Pa_IsStreamStopped(Stream) == 1) {
            // Stopped by a reset: play again.
            const PaError result = Start();
            if (result != paNoError) return result;
        }
        InFlight.fetch_add(1, std::memory_order_relaxed);
        Pending.Push(&header);  // cannot fail: fewer than QueueCapacity are in flight
        return WaveOutNoError;
    }

    WaveOutResult Reset() override {
        std::lock_guard lock(WriteMutex);
        if (Pa_IsStreamStopped(Stream) != 1) {
            // Stop at once; on failure the audio thread may still be reading, so nothing is touched.
            const PaError result = Pa_AbortStream(Stream);
            if (result != paNoError) return result;
        }
        ReturnQueued();
        return paNoError;  // the next write starts the stream again
    }

    WaveOutResult Close() override {
        std::lock_guard lock(WriteMutex);
        PaError result = paNoError;
        if (Pa_IsStreamStopped(Stream) != 1) result = Pa_AbortStream(Stream);
        // Closing an active stream aborts it too: afterwards the audio thread is gone for sure.
        const PaError closed = Pa_CloseStream(Stream);
        Stream = nullptr;
        if (result == paNoError) result = closed;
        ReturnQueued();
        Notify(WaveOutCloseMessage);
        StopNotifier();
        return result;
    }

private:
    // Starts the stream and lets it settle. A sound server (PulseAudio through ALSA, measured with
    // a null sink) drops up to ~20 ms of what is written within the first tens of milliseconds
    // after a start; two output latencies later nothing is lost any more.
    PaError Start() {
        const PaError result = Pa_StartStream(Stream);
        if (result != paNoError) return result;
        const PaStreamInfo* info = Pa_GetStreamInfo(Stream);
        const double settle = std::min(info != nullptr ? 2 * info->outputLatency : 0.0, MaxSettle);
        std::this_thread::sleep_for(std::chrono::duration<double>(settle));
        return paNoError;
    }

    static int StreamCallback(const void*, void* output, unsigned long frames,
                              const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* self) {
        auto* device = static_cast<PortAudioDevice*>(self);
        device->FillOutput(static_cast<std::byte*>(output), frames * device->FrameBytes);
        return paContinue;
    }

    // Audio thread, or the stream's owner while the stream is stopped.
    void FillOutput(std::byte* output, std::size_t bytes) noexcept {
        while (bytes > 0) {
            if (Current == nullptr) {
                Current = Pending.Pop();
                if (Current == nullptr) break;
                Offset = 0;
            }
            const std::size_t count = std::min<std::size_t>(bytes, Current->BufferLength - Offset);
            std::memcpy(output, static_cast<const std::byte*>(Current->Data) + Offset, count);
            output += count;
            bytes -= count;
            Offset += count;
            if (Offset == Current->BufferLength) Finish();
        }
        std::memset(output, 0, bytes);
    }

    void Finish() noexcept {
        Finished.Push(Current);  // cannot fail: bounded by InFlight
        Current = nullptr;
        ++FinishedCount;
        FinishedSignal.release();
    }

    // With the stream stopped and WriteMutex held: hands back the buffer being played and every
    // queued one, and waits until the notifier has reported all of them.
    void ReturnQueued() {
        if (Current != nullptr) Finish();
        while ((Current = Pending.Pop()) != nullptr) Finish();
        const std::uint64_t target = FinishedCount;
        for (std::uint64_t seen = Delivered.load(); seen != target; seen = Delivered.load())
            Delivered.wait(seen);
    }

    void NotifierLoop() {
        for (;;) {
            FinishedSignal.acquire();
            WaveHeader* header = Finished.Pop();
            if (header == nullptr) return;  // the stop signal: every finished buffer came first
            Done(*header);
            InFlight.fetch_sub(1, std::memory_order_release);
            Delivered.fetch_add(1);
            Delivered.notify_all();
        }
    }

    void StopNotifier() {
        if (!Notifier.joinable()) return;
        FinishedSignal.release();
        Notifier.join();
    }

    std::shared_ptr<PortAudioLibrary> Library;
    const std::size_t FrameBytes;
    PaStream* Stream = nullptr;
    std::mutex WriteMutex;

    HeaderQueue Pending;  // writers → audio thread
    WaveHeader* Current = nullptr;
    std::size_t Offset = 0;
    std::uint64_t FinishedCount = 0;  // the audio thread's count, read only with the stream stopped
    HeaderQueue Finished;  // audio thread → notifier
    std::counting_semaphore<> FinishedSignal{0};
    std::atomic<std::size_t> InFlight{0};
    std::atomic<std::uint64_t> Delivered{0};
    std::thread Notifier;
};

class PortAudioBackend final : public WaveOutBackend {
public:
    WaveOutResult Query(int device, const WaveFormat& format) override {
        std::shared_ptr<PortAudioLibrary> library;
        PaStreamParameters parameters{};
        WaveOutResult result = Prepare(device, format, library, parameters);
        if (result != WaveOutNoError) return result;
        return Pa_IsFormatSupported(nullptr, &parameters, format.SamplesPerSec);
    }

    WaveOutResult Open(std::unique_ptr<WaveOutDevice>& out, int device, const WaveFormat& format,
                       WaveOutCallback callback, std::uintptr_t instance) override {
        std::shared_ptr<PortAudioLibrary> library;
        PaStreamParameters parameters{};
        WaveOutResult result = Prepare(device, format, library, parameters);
        if (result != WaveOutNoError) return result;
        auto opened = std::make_unique<PortAudioDevice>(std::move(library), format.BlockAlign,
                                                        callback, instance);
        result = opened->Open(parameters, format.SamplesPerSec);
        if (result != WaveOutNoError) return result;
        out = std::move(opened);
        return WaveOutNoError;
    }

    std::string ErrorText(WaveOutResult code) const override {
        if (code >= 0) return WaveOutBackend::ErrorText(code);
        std::string text = Pa_GetErrorText(code);
        if (code == paUnanticipatedHostError) {
            const PaHostErrorInfo* info = Pa_GetLastHostErrorInfo();
            if (info != nullptr && info->errorText != nullptr && info->errorText[0] != '\0')
                text += std::string(": ") + info->errorText;
        }
        return text;
    }

private:
    // Initialises PortAudio on first use and turns (device, format) into stream parameters.
    WaveOutResult Prepare(int device, const WaveFormat& format,
                          std::shared_ptr<PortAudioLibrary>& library, PaStreamParameters& parameters) {
        {
            std::lock_guard lock(LibraryMutex);
            if (!Library) {
                auto started = std::make_shared<PortAudioLibrary>();
                if (started->Result != paNoError) return started->Result;
                Library = std::move(started);
            }
            library = Library;
        }
        PaDeviceIndex index = device;
        if (device == WaveOutDefaultDevice) {
            index = Pa_GetDefaultOutputDevice();
            if (index == paNoDevice) return paDeviceUnavailable;
        } else if (device < 0 || device >= Pa_GetDeviceCount()) {
            return paInvalidDevice;
        }
        const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
        if (info == nullptr || info->maxOutputChannels < format.Channels) return paInvalidDevice;
        parameters.device = index;
        parameters.channelCount = format.Channels;
        parameters.sampleFormat = paInt16;
        // The owner queues whole buffers ahead; a roomy device buffer only guards against underruns.
        // The default leaves ~44 ms at a sound server, and a busy machine then inserts gaps of
        // silence into marks; a quarter second rides through such stalls (measured under load).
        parameters.suggestedLatency = std::max(info->defaultHighOutputLatency, MinOutputLatency);
        parameters.hostApiSpecificStreamInfo = nullptr;
        return WaveOutNoError;
    }

    std::mutex LibraryMutex;
    std::shared_ptr<PortAudioLibrary> Library;
};

}  // namespace

std::shared_ptr<WaveOutBackend> MakePortAudioWaveOutBackend() {
    return std::make_shared<PortAudioBackend>();
}

}  // namespace kelvo
