#include "platform/wave_out_capture.h"

#include <algorithm>

namespace kelvo {

class WaveOutCapture::Device final : public WaveOutDevice {
public:
    Device(std::shared_ptr<WaveOutCapture> owner, const WaveFormat& format,
           WaveOutCallback callback, std::uintptr_t instance)
        : WaveOutDevice(callback, instance), Format(format), Owner(std::move(owner)) {}

    WaveOutResult Write(WaveHeader& header) override { return Owner->Write(*this, header); }
    WaveOutResult Reset() override { return Owner->Reset(*this); }
    WaveOutResult Close() override { return Owner->Close(*this); }

    void Complete(WaveHeader& header) { Done(header); }
    void Send(std::uint32_t message) { Notify(message); }

    const WaveFormat Format;

private:
    // Keeps the capture alive while the device is open.
    const std::shared_ptr<WaveOutCapture> Owner;
};

WaveOutCapture::WaveOutCapture(Completion completion) : Mode(completion) {
    if (Mode == Completion::PlayTime) Timing = std::thread([this] { TimingLoop(); });
}

WaveOutCapture::~WaveOutCapture() {
    {
        std::lock_guard lock(Mutex);
        Stopping = true;
    }
    Changed.notify_all();
    if (Timing.joinable()) Timing.join();
}

std::vector<std::int16_t> WaveOutCapture::Samples() const {
    std::lock_guard lock(Mutex);
    return Recorded;
}

void WaveOutCapture::ClearSamples() {
    std::lock_guard lock(Mutex);
    Recorded.clear();
}

std::size_t WaveOutCapture::QueuedCount() const {
    std::lock_guard lock(Mutex);
    return Queued;
}

std::size_t WaveOutCapture::PendingCount() const {
    std::lock_guard lock(Mutex);
    return Pending.size();
}

bool WaveOutCapture::WaitForQueued(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(Mutex);
    return Changed.wait_for(lock, limit, [&] { return Queued >= count; });
}

WaveFormat WaveOutCapture::LastFormat() const {
    std::lock_guard lock(Mutex);
    return Format;
}

int WaveOutCapture::OpenCount() const {
    std::lock_guard lock(Mutex);
    return OpenDevices;
}

std::size_t WaveOutCapture::Release(std::size_t count) {
    std::lock_guard deliver(DeliverMutex);
    std::size_t released = 0;
    for (; released < count; ++released) {
        std::unique_lock lock(Mutex);
        if (Pending.empty()) break;
        const Entry entry = Pending.front();
        Pending.pop_front();
        lock.unlock();
        entry.Owner->Complete(*entry.Header);
    }
    Changed.notify_all();
    return released;
}

void WaveOutCapture::FailQuery(WaveOutResult code) {
    std::lock_guard lock(Mutex);
    QueryFailure = code;
}

void WaveOutCapture::FailOpen(WaveOutResult code) {
    std::lock_guard lock(Mutex);
    OpenFailure = code;
}

void WaveOutCapture::FailReset(WaveOutResult code) {
    std::lock_guard lock(Mutex);
    ResetFailure = code;
}

void WaveOutCapture::FailClose(WaveOutResult code) {
    std::lock_guard lock(Mutex);
    CloseFailure = code;
}

void WaveOutCapture::Lose(WaveOutResult code) {
    {
        std::lock_guard lock(Mutex);
        WriteFailure = code;
    }
    ReturnAll(nullptr);
}

void WaveOutCapture::LoseAfter(std::size_t count, WaveOutResult code) {
    std::lock_guard lock(Mutex);
    LoseAt = count;
    LoseCode = code;
}

WaveOutResult WaveOutCapture::Query(int, const WaveFormat& format) {
    std::lock_guard lock(Mutex);
    Format = format;
    return QueryFailure;
}

WaveOutResult WaveOutCapture::Open(std::unique_ptr<WaveOutDevice>& out, int,
                                   const WaveFormat& format, WaveOutCallback callback,
                                   std::uintptr_t instance) {
    {
        std::lock_guard lock(Mutex);
        Format = format;
        if (OpenFailure != WaveOutNoError) return OpenFailure;
        ++OpenDevices;
    }
    auto device = std::make_unique<Device>(shared_from_this(), format, callback, instance);
    device->Send(WaveOutOpenMessage);
    out = std::move(device);
    return WaveOutNoError;
}

std::string WaveOutCapture::ErrorText(WaveOutResult code) const {
    if (const char* text = WaveOutLayerErrorText(code)) return text;
    return "Capture device failure " + std::to_string(code) + ".";
}

WaveOutResult WaveOutCapture::Write(Device& device, WaveHeader& header) {
    const auto* data = static_cast<const std::int16_t*>(header.Data);
    const std::size_t values = header.BufferLength / sizeof(std::int16_t);
    if (Mode == Completion::AtOnce) {
        std::lock_guard deliver(DeliverMutex);
        {
            std::lock_guard lock(Mutex);
            if (WriteFailure != WaveOutNoError) return WriteFailure;
            Recorded.insert(Recorded.end(), data, data + values);
            // Nothing is held in this mode, so nothing is handed back: later writes just fail.
            if (++Queued == LoseAt) WriteFailure = LoseCode;
        }
        device.Complete(header);
        Changed.notify_all();
        return WaveOutNoError;
    }
    bool lost = false;
    {
        std::lock_guard lock(Mutex);
        if (WriteFailure != WaveOutNoError) return WriteFailure;
        Recorded.insert(Recorded.end(), data, data + values);
        lost = ++Queued == LoseAt;
        if (lost) WriteFailure = LoseCode;
        // Back to back: a buffer starts when the one before it ends, or now if the device is idle.
        const auto playTime = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(double(header.BufferLength) / device.Format.AvgBytesPerSec));
        LastDue = std::max(LastDue, std::chrono::steady_clock::now()) + playTime;
        Pending.push_back({&device, &header, LastDue});
    }
    if (lost) ReturnAll(nullptr);
    Changed.notify_all();
    return WaveOutNoError;
}

WaveOutResult WaveOutCapture::Reset(Device& device) {
    {
        std::lock_guard lock(Mutex);
        if (ResetFailure != WaveOutNoError) return ResetFailure;
    }
    ReturnAll(&device);
    return WaveOutNoError;
}

WaveOutResult WaveOutCapture::Close(Device& device) {
    ReturnAll(&device);
    device.Send(WaveOutCloseMessage);
    std::lock_guard lock(Mutex);
    --OpenDevices;
    return CloseFailure;
}

void WaveOutCapture::ReturnAll(Device* device) {
    std::lock_guard deliver(DeliverMutex);
    std::vector<Entry> returned;
    {
        std::lock_guard lock(Mutex);
        for (auto it = Pending.begin(); it != Pending.end();) {
            if (device != nullptr && it->Owner != device) {
                ++it;
                continue;
            }
            returned.push_back(*it);
            it = Pending.erase(it);
        }
        LastDue = Pending.empty() ? std::chrono::steady_clock::time_point{} : Pending.back().Due;
    }
    for (const Entry& entry : returned) entry.Owner->Complete(*entry.Header);
    Changed.notify_all();
}

void WaveOutCapture::TimingLoop() {
    std::unique_lock lock(Mutex);
    while (!Stopping) {
        if (Pending.empty()) {
            Changed.wait(lock);
            continue;
        }
        const auto due = Pending.front().Due;  // a copy: the entry may go while we wait
        if (std::chrono::steady_clock::now() < due) {
            Changed.wait_until(lock, due);
            continue;
        }
        // Callbacks are made without Mutex, under DeliverMutex, which is taken first.
        lock.unlock();
        {
            std::lock_guard deliver(DeliverMutex);
            std::unique_lock again(Mutex);
            if (!Pending.empty() && std::chrono::steady_clock::now() >= Pending.front().Due) {
                const Entry entry = Pending.front();
                Pending.pop_front();
                again.unlock();
                entry.Owner->Complete(*entry.Header);
            }
        }
        Changed.notify_all();
        lock.lock();
    }
}

}  // namespace kelvo
