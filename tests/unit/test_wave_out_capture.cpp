#include "platform/wave_out_capture.h"

#include <gtest/gtest.h>

#include <array>
#include <mutex>
#include <vector>

namespace kelvo {
namespace {

using Completion = WaveOutCapture::Completion;

// What the done callback saw: the message and, for done, which header.
struct Heard {
    std::mutex Mutex;
    std::vector<std::pair<std::uint32_t, std::uintptr_t>> Messages;
};

void Listen(HWaveOut, std::uint32_t message, std::uintptr_t instance, std::uintptr_t param1,
            std::uintptr_t) {
    auto* heard = reinterpret_cast<Heard*>(instance);
    std::lock_guard lock(heard->Mutex);
    heard->Messages.emplace_back(message, param1);
}

WaveFormat Mono8000() {
    return {WaveFormatPcm, 1, 8000, 16000, 2, 16, 0};
}

// Two small buffers with their headers, and a capture device chosen for the whole process.
class WaveOutCaptureTest : public ::testing::Test {
protected:
    void Open(Completion completion) {
        Capture = std::make_shared<WaveOutCapture>(completion);
        SetWaveOutBackend(Capture);
        ASSERT_EQ(WaveOutOpen(&Handle, WaveOutDefaultDevice, Mono8000(), &Listen,
                              reinterpret_cast<std::uintptr_t>(&Listener)),
                  WaveOutNoError);
        for (std::size_t b = 0; b < Headers.size(); ++b) {
            Values[b] = {std::int16_t(10 * b + 1), std::int16_t(10 * b + 2)};
            Headers[b].Data = Values[b].data();
            Headers[b].BufferLength = sizeof Values[b];
        }
    }
    void Queue(std::size_t b) {
        ASSERT_EQ(WaveOutPrepareHeader(Handle, &Headers[b], sizeof(WaveHeader)), WaveOutNoError);
        ASSERT_EQ(WaveOutWrite(Handle, &Headers[b], sizeof(WaveHeader)), WaveOutNoError);
    }
    std::uintptr_t Address(std::size_t b) { return reinterpret_cast<std::uintptr_t>(&Headers[b]); }
    void TearDown() override {
        if (Handle != nullptr) WaveOutClose(Handle);
        Handle = nullptr;
        SetWaveOutBackend(nullptr);
    }

    Heard Listener;
    std::shared_ptr<WaveOutCapture> Capture;
    HWaveOut Handle = nullptr;
    std::array<std::array<std::int16_t, 2>, 2> Values{};
    std::array<WaveHeader, 2> Headers{};
};

TEST_F(WaveOutCaptureTest, StalledBuffersAreDoneInQueueOrderOnlyWhenReleased) {
    Open(Completion::Stalled);
    Queue(0);
    Queue(1);
    EXPECT_EQ(Capture->Samples(), (std::vector<std::int16_t>{1, 2, 11, 12}));
    EXPECT_EQ(Capture->PendingCount(), 2u);
    EXPECT_EQ(Headers[0].Flags, WaveHeaderPrepared | WaveHeaderInQueue);
    // A queued buffer belongs to the device.
    EXPECT_EQ(WaveOutUnprepareHeader(Handle, &Headers[0], sizeof(WaveHeader)),
              WaveOutErrorStillPlaying);
    EXPECT_EQ(WaveOutWrite(Handle, &Headers[0], sizeof(WaveHeader)), WaveOutErrorStillPlaying);

    EXPECT_EQ(Capture->Release(5), 2u);
    EXPECT_EQ(Headers[0].Flags, WaveHeaderPrepared | WaveHeaderDone);
    EXPECT_EQ(WaveOutUnprepareHeader(Handle, &Headers[0], sizeof(WaveHeader)), WaveOutNoError);
    EXPECT_EQ(Headers[0].Flags, WaveHeaderDone);
    EXPECT_EQ(WaveOutClose(Handle), WaveOutNoError);
    Handle = nullptr;
    using M = std::vector<std::pair<std::uint32_t, std::uintptr_t>>;
    EXPECT_EQ(Listener.Messages, (M{{WaveOutOpenMessage, 0},
                                    {WaveOutDoneMessage, Address(0)},
                                    {WaveOutDoneMessage, Address(1)},
                                    {WaveOutCloseMessage, 0}}));
}

TEST_F(WaveOutCaptureTest, ResetAndCloseHandBackEveryQueuedBufferOnce) {
    for (bool reset : {true, false}) {
        SCOPED_TRACE(reset ? "reset" : "close");
        Listener.Messages.clear();
        Open(Completion::Stalled);
        Queue(0);
        Queue(1);
        EXPECT_EQ(reset ? WaveOutReset(Handle) : WaveOutClose(Handle), WaveOutNoError);
        if (!reset) Handle = nullptr;
        EXPECT_EQ(Capture->PendingCount(), 0u);
        EXPECT_EQ(Capture->Release(1), 0u);
        using M = std::vector<std::pair<std::uint32_t, std::uintptr_t>>;
        M expected{{WaveOutOpenMessage, 0},
                   {WaveOutDoneMessage, Address(0)},
                   {WaveOutDoneMessage, Address(1)}};
        if (!reset) expected.push_back({WaveOutCloseMessage, 0});
        EXPECT_EQ(Listener.Messages, expected);
        TearDown();
    }
}

// Going away, by itself after a count of buffers or on demand: what was held comes back as done,
// and writes fail until the device is back.
TEST_F(WaveOutCaptureTest, ALostDeviceHandsBackWhatItHeldAndRefusesWritesUntilItIsBack) {
    Open(Completion::Stalled);
    Capture->LoseAfter(2, 66);
    Queue(0);
    EXPECT_EQ(Capture->PendingCount(), 1u);
    Queue(1);  // the second is accepted, then everything is handed back
    EXPECT_EQ(Capture->PendingCount(), 0u);
    EXPECT_EQ(Headers[0].Flags, WaveHeaderPrepared | WaveHeaderDone);
    EXPECT_EQ(WaveOutWrite(Handle, &Headers[0], sizeof(WaveHeader)), 66);
    EXPECT_EQ(Headers[0].Flags, WaveHeaderPrepared);  // not queued, and not done again
    EXPECT_EQ(Capture->QueuedCount(), 2u);

    Capture->Lose(0);
    Queue(0);
    EXPECT_EQ(Capture->PendingCount(), 1u);
    Capture->Lose(5);
    EXPECT_EQ(Capture->PendingCount(), 0u);
    EXPECT_EQ(WaveOutWrite(Handle, &Headers[1], sizeof(WaveHeader)), 5);
    using M = std::vector<std::pair<std::uint32_t, std::uintptr_t>>;
    EXPECT_EQ(Listener.Messages, (M{{WaveOutOpenMessage, 0},
                                    {WaveOutDoneMessage, Address(0)},
                                    {WaveOutDoneMessage, Address(1)},
                                    {WaveOutDoneMessage, Address(0)}}));
    EXPECT_EQ(Capture->Samples(), (std::vector<std::int16_t>{1, 2, 11, 12, 1, 2}));
}

TEST_F(WaveOutCaptureTest, ABufferMustBePreparedBeforeItIsQueued) {
    Open(Completion::AtOnce);
    EXPECT_EQ(WaveOutWrite(Handle, &Headers[0], sizeof(WaveHeader)), WaveOutErrorUnprepared);
    EXPECT_EQ(WaveOutUnprepareHeader(Handle, &Headers[0], sizeof(WaveHeader)), WaveOutNoError);
    EXPECT_EQ(WaveOutPrepareHeader(Handle, &Headers[0], sizeof(WaveHeader) - 1),
              WaveOutErrorInvalidParam);
    EXPECT_EQ(Capture->QueuedCount(), 0u);
    Queue(0);  // done at once
    EXPECT_EQ(Headers[0].Flags, WaveHeaderPrepared | WaveHeaderDone);
    Queue(0);
    EXPECT_EQ(Capture->QueuedCount(), 2u);
}

TEST(WaveOutLayerTest, FormatsOtherThan16BitPcmOfOneOrTwoChannelsAreRefused) {
    auto capture = std::make_shared<WaveOutCapture>();
    SetWaveOutBackend(capture);
    WaveFormat stereo{WaveFormatPcm, 2, 44100, 176400, 4, 16, 0};
    EXPECT_EQ(WaveOutQuery(WaveOutDefaultDevice, Mono8000()), WaveOutNoError);
    EXPECT_EQ(WaveOutQuery(WaveOutDefaultDevice, stereo), WaveOutNoError);
    struct Case {
        const char* name;
        WaveFormat format;
    };
    const Case cases[] = {
        {"not PCM", {3, 1, 8000, 16000, 2, 16, 0}},
        {"three channels", {WaveFormatPcm, 3, 8000, 48000, 6, 16, 0}},
        {"8 bits", {WaveFormatPcm, 1, 8000, 8000, 1, 8, 0}},
        {"wrong byte rate", {WaveFormatPcm, 1, 8000, 8000, 2, 16, 0}},
        {"wrong alignment", {WaveFormatPcm, 2, 8000, 32000, 2, 16, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WaveOutQuery(WaveOutDefaultDevice, c.format), WaveOutErrorBadFormat);
        HWaveOut handle = nullptr;
        EXPECT_EQ(WaveOutOpen(&handle, WaveOutDefaultDevice, c.format, nullptr, 0),
                  WaveOutErrorBadFormat);
        EXPECT_EQ(handle, nullptr);
    }
    EXPECT_EQ(capture->OpenCount(), 0);
    SetWaveOutBackend(nullptr);
}

TEST(WaveOutLayerTest, ErrorTextIsCutToTheCallersBufferAndZeroTerminated) {
    SetWaveOutBackend(std::make_shared<WaveOutCapture>());
    char text[WaveOutErrorTextLength];
    EXPECT_EQ(WaveOutGetErrorText(WaveOutErrorBadFormat, text, sizeof text), WaveOutNoError);
    EXPECT_STREQ(text, "The sound output device cannot play this wave format.");
    char small[8];
    EXPECT_EQ(WaveOutGetErrorText(42000, small, sizeof small), WaveOutNoError);
    EXPECT_STREQ(small, "Capture");
    EXPECT_EQ(WaveOutGetErrorText(42000, text, 0), WaveOutErrorInvalidParam);
    SetWaveOutBackend(nullptr);
}

}  // namespace
}  // namespace kelvo
