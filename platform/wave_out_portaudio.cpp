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
//   buffer, in queue order. So the done callback always runs on the notifier thread. It also
//   watches the stream (below).
// Reset and Close stop the stream first (PortAudio joins its audio thread), and only then take
// over the audio thread's side of the queues to hand back what was still queued. After a reset the
// stream stays stopped until the next Write starts it.
//
// A stream can end by itself: the sound server dies or restarts, a USB or Bluetooth headset goes
// away. PortAudio then calls the finished callback, or (some host APIs) merely leaves the stream
// neither stopped nor active; its queued buffers would never be played or reported done, and the
// owner would wait for them for ever. So the notifier, woken by the finished callback or by its
// own watch while buffers are queued, closes such a stream and hands back every buffer as done;
// the next Write reports the loss once, and the Write after that opens a new stream on the same
// device, failing at once while none answers.
//
// PortAudio is initialised once per process, on the first query or open, and terminated when the
// last user of it is gone. The ALSA and JACK libraries beneath it print diagnostics to stderr while
// probing (a missing server, unknown plugin devices), and PortAudio itself prints an "Expression …
// failed" trace when a stream breaks; all of that is kept off a learner's terminal. ALSA's latest
// message is kept instead: it is the host's own account of a failure and goes into the error text.
#include "platform/wave_out.h"
#include "platform/wave_out_queue.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <portaudio.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <semaphore>
#include <thread>
#include <utility>

// PortAudio prints its failure traces with vfprintf on stderr and offers no public way to turn
// them off; this interposes on exactly those lines and passes everything else on.
extern "C" int vfprintf(FILE* stream, const char* format, va_list arguments) {
    static constexpr char Trace[] = "Expression '";
    if (stream == stderr && std::strncmp(format, Trace, sizeof Trace - 1) == 0)
        return 0;
    using Printer = int (*)(FILE*, const char*, va_list);
    static const auto next = reinterpret_cast<Printer>(dlsym(RTLD_NEXT, "vfprintf"));
    return next(stream, format, arguments);
}

namespace kelvo {

namespace {

// Longest wait after a stream start (see PortAudioDevice::Start), in seconds.
constexpr double MaxSettle = 0.25;
constexpr double MinOutputLatency = 0.25;  // seconds of sound held at the device
// How often the notifier looks at a stream while buffers are queued, for host APIs that end a
// stream without calling the finished callback; and how soon it tries again when the stream's
// lock was busy.
constexpr auto WatchInterval = std::chrono::milliseconds(250);
constexpr auto RetryInterval = std::chrono::milliseconds(10);

// What a stream that ended by itself is reported as, with the words of the host text.
constexpr PaError LostStreamError = paDeviceUnavailable;
constexpr const char* LostStreamText = "the sound output stopped";
// Added where PortAudio only says that a device is unavailable or invalid.
constexpr const char* NoOutputAdvice =
    "No sound output could be opened: a sound server or a sound device must be running.";

// ALSA's latest message, kept instead of printed; called on any thread, so under a lock.
struct HostMessages {
    std::mutex Mutex;
    std::array<char, WaveOutErrorTextLength> Text{};
    std::uint64_t Count = 0;
};

HostMessages& AlsaMessages() {
    static auto* messages = new HostMessages;  // never destroyed: ALSA may still call at exit
    return *messages;
}

std::uint64_t AlsaMessageCount() {
    HostMessages& messages = AlsaMessages();
    std::lock_guard lock(messages.Mutex);
    return messages.Count;
}

// ALSA's latest message if it came after `count`, else empty.
std::string AlsaMessageSince(std::uint64_t count) {
    HostMessages& messages = AlsaMessages();
    std::lock_guard lock(messages.Mutex);
    return messages.Count == count ? std::string() : std::string(messages.Text.data());
}

void KeepAlsaMessage(const char*, int, const char*, int, const char* format, ...) {
    HostMessages& messages = AlsaMessages();
    std::lock_guard lock(messages.Mutex);
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(messages.Text.data(), messages.Text.size(), format, arguments);
    va_end(arguments);
    std::size_t length = std::strlen(messages.Text.data());
    while (length > 0 && (messages.Text[length - 1] == '\n' || messages.Text[length - 1] == ' '))
        messages.Text[--length] = '\0';
    ++messages.Count;
}

void IgnoreJackMessage(const char*) {}

// The ALSA handler stays for the life of the process: ALSA also prints when a device is opened.
// JACK is looked up at run time because its headers need not be installed; when PortAudio was
// built without it, there is nothing to silence.
void SilenceSoundLibraries() {
    snd_lib_error_set_handler(&KeepAlsaMessage);
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

    // Turns a failure of an output stream into the code to report and keeps the host's words for
    // it: ALSA's message since `alsaCount`, else `hostText`. PortAudio's ALSA layer reports any
    // refused open other than "busy" as an illegal combination of devices, which an output-only
    // stream cannot be: it is an unavailable device.
    PaError Failed(PaError code, std::uint64_t alsaCount, const char* hostText = "") {
        if (code == paBadIODeviceCombination) code = paDeviceUnavailable;
        std::string text = AlsaMessageSince(alsaCount);
        if (text.empty()) text = hostText;
        std::lock_guard lock(FailureMutex);
        FailureCode = code;
        FailureText = std::move(text);
        return code;
    }
    // The host's words kept with the latest failure of `code`, if any.
    std::string HostText(PaError code) const {
        std::lock_guard lock(FailureMutex);
        return code == FailureCode ? FailureText : std::string();
    }

    PaError Result;

private:
    mutable std::mutex FailureMutex;
    PaError FailureCode = paNoError;
    std::string FailureText;
};

class PortAudioDevice final : public WaveOutDevice {
public:
    PortAudioDevice(std::shared_ptr<PortAudioLibrary> library, const PaStreamParameters& parameters,
                    double sampleRate, std::size_t frameBytes, WaveOutCallback callback,
                    std::uintptr_t instance)
        : WaveOutDevice(callback, instance), Library(std::move(library)), Parameters(parameters),
          SampleRate(sampleRate), FrameBytes(frameBytes) {}

    ~PortAudioDevice() override {
        // Only reached without a successful Close when Open failed half-way.
        if (Stream != nullptr) Pa_CloseStream(Stream);
        StopNotifier();
    }

    WaveOutResult Open() {
        Notifier = std::thread([this] { NotifierLoop(); });
        std::lock_guard lock(WriteMutex);
        const PaError result = OpenStream();
        if (result != paNoError) return result;
        Notify(WaveOutOpenMessage);
        return WaveOutNoError;
    }

    WaveOutResult Write(WaveHeader& header) override {
        std::lock_guard lock(WriteMutex);
        if (Abandoned) return Library->Failed(LostStreamError, AlsaMessageCount(), LostStreamText);
        if (Failure == paNoError && Stream != nullptr && HasEnded()) LoseStream();
        if (Failure != paNoError) return std::exchange(Failure, paNoError);  // reported once
        if (Stream == nullptr) {
            // Lost earlier, and that was reported: try the device again.
            if (const PaError result = OpenStream(); result != paNoError) return result;
        } else if (Pa_IsStreamStopped(Stream) == 1) {
            // Stopped by a reset: play again.
            const std::uint64_t alsaCount = AlsaMessageCount();
            if (const PaError result = Start(); result != paNoError) {
                CloseStream();
                return Library->Failed(result, alsaCount);
            }
        }
        InFlight.fetch_add(1, std::memory_order_relaxed);
        Pending.Push(&header);
        return WaveOutNoError;
    }

    WaveOutResult Reset() override {
        std::lock_guard lock(WriteMutex);
        if (Abandoned) return Library->Failed(LostStreamError, AlsaMessageCount(), LostStreamText);
        if (Stream != nullptr && Pa_IsStreamStopped(Stream) != 1) {
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
        if (Stream != nullptr && !Abandoned) {
            if (Pa_IsStreamStopped(Stream) != 1) result = Pa_AbortStream(Stream);
            if (result == paNoError) {
                result = Pa_CloseStream(Stream);
                Stream = nullptr;
            } else {
                // The audio thread may run on: keep it out of the buffers, and this object alive.
                Abandon();
            }
        }
        ReturnQueued();
        Notify(WaveOutCloseMessage);
        StopNotifier();
        return result;
    }

    bool StillRunning() const noexcept override { return Abandoned; }

private:
    // With WriteMutex held. Opens and starts a stream for the device's parameters.
    PaError OpenStream() {
        const std::uint64_t alsaCount = AlsaMessageCount();
        PaError result = Pa_OpenStream(&Stream, nullptr, &Parameters, SampleRate,
                                       paFramesPerBufferUnspecified, paNoFlag, &StreamCallback, this);
        if (result != paNoError) {
            Stream = nullptr;
            return Library->Failed(result, alsaCount);
        }
        Pa_SetStreamFinishedCallback(Stream, &StreamFinished);
        StartCount = alsaCount;
        result = Start();
        if (result != paNoError) {
            CloseStream();
            return Library->Failed(result, alsaCount);
        }
        return paNoError;
    }

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

    // With WriteMutex held: a stream that was started and has ended without being stopped.
    bool HasEnded() const { return Pa_IsStreamStopped(Stream) == 0 && Pa_IsStreamActive(Stream) == 0; }

    // With WriteMutex held, on a stream whose audio thread is not running.
    void CloseStream() {
        Pa_CloseStream(Stream);
        Stream = nullptr;
    }

    // With WriteMutex held, on a stream that has ended by itself: joins what is left of its
    // audio thread, closes it, hands back every queued buffer and keeps the failure to report.
    // Never waits for the notifier, which may be the caller.
    void LoseStream() {
        if (Pa_AbortStream(Stream) == paNoError)
            CloseStream();
        else
            Abandon();
        HandBack();
        Failure = Library->Failed(LostStreamError, StartCount, LostStreamText);
    }

    void Abandon() {
        Gate.Shut();
        Abandoned = true;
    }

    static int StreamCallback(const void*, void* output, unsigned long frames,
                              const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* self) {
        auto* device = static_cast<PortAudioDevice*>(self);
        const std::size_t bytes = frames * device->FrameBytes;
        if (!device->Gate.Enter()) {
            std::memset(output, 0, bytes);
            return paAbort;
        }
        device->FillOutput(static_cast<std::byte*>(output), bytes);
        device->Gate.Leave();
        return paContinue;
    }

    // Called when the stream becomes inactive, whether stopped by us or ended by itself; on the
    // audio thread or the one that stopped it. Only wakes the notifier.
    static void StreamFinished(void* self) {
        auto* device = static_cast<PortAudioDevice*>(self);
        device->Ended.store(true);
        device->FinishedSignal.release();
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
        Finished.Push(Current);
        Current = nullptr;
        ++FinishedCount;
        FinishedSignal.release();
    }

    // With the audio thread out of the buffers and WriteMutex held: passes the buffer being
    // played and every queued one to the notifier.
    void HandBack() noexcept {
        if (Current != nullptr) Finish();
        while ((Current = Pending.Pop()) != nullptr) Finish();
    }

    // As HandBack, and waits until the notifier has reported all of them.
    void ReturnQueued() {
        HandBack();
        const std::uint64_t target = FinishedCount;
        for (std::uint64_t seen = Delivered.load(); seen != target; seen = Delivered.load())
            Delivered.wait(seen);
    }

    void NotifierLoop() {
        bool retry = false;
        for (;;) {
            const bool woken = FinishedSignal.try_acquire_for(retry ? RetryInterval : WatchInterval);
            while (WaveHeader* header = Finished.Pop()) {
                Done(*header);
                InFlight.fetch_sub(1, std::memory_order_release);
                Delivered.fetch_add(1);
                Delivered.notify_all();
            }
            if (Stopping.load()) return;  // every finished buffer was pushed before the stop
            if (retry || Ended.load() || (!woken && InFlight.load() > 0)) retry = !WatchStream();
        }
    }

    // Notifier: closes a stream that has ended by itself. False when the stream's lock was busy
    // (its holder may be waiting for the notifier), to be tried again shortly.
    bool WatchStream() {
        std::unique_lock lock(WriteMutex, std::try_to_lock);
        if (!lock.owns_lock()) return false;
        Ended.store(false);
        if (Stream != nullptr && !Abandoned && Failure == paNoError && HasEnded()) LoseStream();
        return true;
    }

    void StopNotifier() {
        if (!Notifier.joinable()) return;
        Stopping.store(true);
        FinishedSignal.release();
        Notifier.join();
    }

    std::shared_ptr<PortAudioLibrary> Library;
    const PaStreamParameters Parameters;
    const double SampleRate;
    const std::size_t FrameBytes;
    std::mutex WriteMutex;
    PaStream* Stream = nullptr;        // nullptr once lost, until the next Write opens another
    PaError Failure = paNoError;       // a loss not yet reported
    bool Abandoned = false;            // a stream that would not stop: the device is finished
    std::uint64_t StartCount = 0;      // ALSA's message count when the stream was opened
    CallbackGate Gate;

    HeaderQueue Pending;  // writers → audio thread
    WaveHeader* Current = nullptr;
    std::size_t Offset = 0;
    std::uint64_t FinishedCount = 0;  // the audio thread's count, read only with the stream stopped
    HeaderQueue Finished;  // audio thread (or the owner of a stopped stream) → notifier
    std::counting_semaphore<> FinishedSignal{0};
    std::atomic<std::size_t> InFlight{0};
    std::atomic<std::uint64_t> Delivered{0};
    std::atomic<bool> Ended{false};
    std::atomic<bool> Stopping{false};
    std::thread Notifier;
};

class PortAudioBackend final : public WaveOutBackend {
public:
    WaveOutResult Query(int device, const WaveFormat& format) override {
        std::shared_ptr<PortAudioLibrary> library;
        PaStreamParameters parameters{};
        WaveOutResult result = Prepare(device, format, library, parameters);
        if (result != WaveOutNoError) return result;
        const std::uint64_t alsaCount = AlsaMessageCount();
        result = Pa_IsFormatSupported(nullptr, &parameters, format.SamplesPerSec);
        return result == paFormatIsSupported ? WaveOutNoError : library->Failed(result, alsaCount);
    }

    WaveOutResult Open(std::unique_ptr<WaveOutDevice>& out, int device, const WaveFormat& format,
                       WaveOutCallback callback, std::uintptr_t instance) override {
        std::shared_ptr<PortAudioLibrary> library;
        PaStreamParameters parameters{};
        WaveOutResult result = Prepare(device, format, library, parameters);
        if (result != WaveOutNoError) return result;
        auto opened = std::make_unique<PortAudioDevice>(std::move(library), parameters,
                                                        format.SamplesPerSec, format.BlockAlign,
                                                        callback, instance);
        result = opened->Open();
        if (result != WaveOutNoError) return result;
        out = std::move(opened);
        return WaveOutNoError;
    }

    // PortAudio's text, with the host's words where they were kept, and advice a learner can act on
    // where PortAudio only says that the device is unavailable or invalid.
    std::string ErrorText(WaveOutResult code) const override {
        if (code >= 0) return WaveOutBackend::ErrorText(code);
        std::string text = Pa_GetErrorText(code);
        std::string host;
        {
            std::lock_guard lock(LibraryMutex);
            if (Library) host = Library->HostText(code);
        }
        if (host.empty() && code == paUnanticipatedHostError) {
            const PaHostErrorInfo* info = Pa_GetLastHostErrorInfo();
            if (info != nullptr && info->errorText != nullptr) host = info->errorText;
        }
        const bool advise = code == paDeviceUnavailable || code == paInvalidDevice;
        if (!host.empty()) text += advise ? " (" + host + ")" : ": " + host;
        if (advise) text += std::string(". ") + NoOutputAdvice;
        return text;
    }

private:
    // Initialises PortAudio on first use and turns (device, format) into stream parameters. A
    // device number counts the output devices only, in PortAudio's order.
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
        const std::uint64_t alsaCount = AlsaMessageCount();
        PaDeviceIndex index = paNoDevice;
        if (device == WaveOutDefaultDevice) {
            index = Pa_GetDefaultOutputDevice();
            if (index == paNoDevice) return library->Failed(paDeviceUnavailable, alsaCount);
        } else if (device >= 0) {
            for (PaDeviceIndex i = 0, outputs = 0; i < Pa_GetDeviceCount(); ++i) {
                const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
                if (info == nullptr || info->maxOutputChannels <= 0) continue;
                if (outputs++ == device) {
                    index = i;
                    break;
                }
            }
        }
        const PaDeviceInfo* info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
        if (info == nullptr || info->maxOutputChannels < format.Channels)
            return library->Failed(paInvalidDevice, alsaCount);
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

    mutable std::mutex LibraryMutex;
    std::shared_ptr<PortAudioLibrary> Library;
};

}  // namespace

std::shared_ptr<WaveOutBackend> MakePortAudioWaveOutBackend() {
    return std::make_shared<PortAudioBackend>();
}

}  // namespace kelvo
