#include "audio/out_sound.h"
#include "platform/wave_out_capture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using Completion = WaveOutCapture::Completion;

// Generous: only reached when the code under test is broken.
constexpr auto Patience = 10s;

// The main window's settings: 8000 samples/s mono, 4000-value buffers, three of them.
class OutSoundTest : public ::testing::Test {
protected:
    void Use(Completion completion) {
        Capture = std::make_shared<WaveOutCapture>(completion);
        SetWaveOutBackend(Capture);
    }
    void SetUp() override {
        Use(Completion::AtOnce);
        Sound = std::make_unique<TOutSound>();
        Sound->SetSampRate(8000);
        Sound->SetBufferLength(4000);
    }
    void TearDown() override {
        Sound.reset();
        SetWaveOutBackend(nullptr);
    }
    // Waits until `count` buffers have reached the device and returns everything it got.
    std::vector<std::int16_t> Played(std::size_t count) {
        EXPECT_TRUE(Capture->WaitForQueued(count, Patience));
        return Capture->Samples();
    }
    static std::string Raised(const std::function<void()>& call) {
        try {
            call();
        } catch (const EOutSound& error) {
            return error.what();
        }
        return "";
    }

    std::shared_ptr<WaveOutCapture> Capture;
    std::unique_ptr<TOutSound> Sound;
};

struct Property {
    const char* name;
    void (TOutSound::*set)(std::int32_t);
    std::int32_t (TOutSound::*get)() const noexcept;
};
const Property Properties[] = {
    {"Device", &TOutSound::SetDevice, &TOutSound::Device},
    {"SampRate", &TOutSound::SetSampRate, &TOutSound::SampRate},
    {"Channels", &TOutSound::SetChannels, &TOutSound::Channels},
    {"Buffers", &TOutSound::SetBuffers, &TOutSound::Buffers},
    {"BufferLength", &TOutSound::SetBufferLength, &TOutSound::BufferLength},
};

TEST(OutSoundDefaultsTest, NewComponentHasTheDefaultsAndNothingOpen) {
    TOutSound sound;
    EXPECT_EQ(sound.Device(), -1);
    EXPECT_EQ(sound.SampRate(), 44100);
    EXPECT_EQ(sound.Channels(), 1);
    EXPECT_EQ(sound.Buffers(), 3);
    EXPECT_EQ(sound.BufferLength(), 20000);
    EXPECT_EQ(sound.WaveOutHandle(), nullptr);
    EXPECT_EQ(sound.InitStage(), 0);
}

TEST_F(OutSoundTest, BeforeInitializeSamplesAreRefusedFlushDoesNothingPropertiesAreSet) {
    EXPECT_EQ(Raised([&] { Sound->PutSample({5, 5}); }),
              "Cannot send sample until output transfer thread has been created.");
    Sound->Flush();
    for (const Property& p : Properties) {
        SCOPED_TRACE(p.name);
        (Sound.get()->*p.set)(2);
        EXPECT_EQ((Sound.get()->*p.get)(), 2);
    }
    EXPECT_EQ(Capture->QueuedCount(), 0u);
    EXPECT_EQ(Capture->OpenCount(), 0);
}

TEST_F(OutSoundTest, AfterInitializePropertiesKeepTheirValueAndASecondInitializeIsRefused) {
    Sound->Initialize();
    EXPECT_EQ(Sound->InitStage(), 4);
    EXPECT_NE(Sound->WaveOutHandle(), nullptr);
    EXPECT_EQ(Capture->OpenCount(), 1);
    for (const Property& p : Properties) {
        SCOPED_TRACE(p.name);
        const std::int32_t before = (Sound.get()->*p.get)();
        EXPECT_EQ(Raised([&] { (Sound.get()->*p.set)(before + 1); }),
                  "Cannot set soundcard property after initialization.");
        EXPECT_EQ((Sound.get()->*p.get)(), before);
    }
    EXPECT_EQ(Raised([&] { Sound->Initialize(); }), "Cannot reinitialize sound output device");
    EXPECT_EQ(Sound->InitStage(), 4);
    EXPECT_EQ(Capture->OpenCount(), 1);
}

TEST_F(OutSoundTest, FormatFollowsTheProperties) {
    struct Case {
        std::int32_t rate, channels;
        std::uint32_t bytesPerSec;
        std::uint16_t align;
    };
    for (const Case c : {Case{8000, 1, 16000, 2}, Case{44100, 2, 176400, 4}}) {
        SCOPED_TRACE(c.rate);
        TOutSound sound;
        sound.SetSampRate(c.rate);
        sound.SetChannels(c.channels);
        sound.SetBufferLength(4000);
        sound.Initialize();
        const WaveFormat format = Capture->LastFormat();
        EXPECT_EQ(format.FormatTag, 1);
        EXPECT_EQ(format.Channels, c.channels);
        EXPECT_EQ(format.SamplesPerSec, std::uint32_t(c.rate));
        EXPECT_EQ(format.AvgBytesPerSec, c.bytesPerSec);
        EXPECT_EQ(format.BlockAlign, c.align);
        EXPECT_EQ(format.BitsPerSample, 16);
        EXPECT_EQ(format.ExtraSize, 0);
    }
}

TEST_F(OutSoundTest, RefusedFormatLeavesStageZeroAndALaterInitializeMayWork) {
    Capture->FailQuery(1234);
    EXPECT_EQ(Raised([&] { Sound->Initialize(); }), "Capture device failure 1234.");
    EXPECT_EQ(Sound->InitStage(), 0);
    EXPECT_EQ(Capture->OpenCount(), 0);
    Sound->SetSampRate(8000);  // still settable

    Capture->FailQuery(WaveOutErrorBadDeviceId);
    EXPECT_EQ(Raised([&] { Sound->Initialize(); }),
              "The sound output device number is out of range.");
    Capture->FailQuery(0);
    Sound->Initialize();
    EXPECT_EQ(Sound->InitStage(), 4);
}

TEST_F(OutSoundTest, FailedOpenStopsAtStageOneAndRefusesSamples) {
    Capture->FailOpen(77);
    EXPECT_EQ(Raised([&] { Sound->Initialize(); }), "Capture device failure 77.");
    EXPECT_EQ(Sound->InitStage(), 1);
    EXPECT_EQ(Sound->WaveOutHandle(), nullptr);
    EXPECT_EQ(Raised([&] { Sound->PutSample({1, 1}); }),
              "Cannot send sample until output transfer thread has been created.");
    EXPECT_EQ(Raised([&] { Sound->Initialize(); }), "Cannot reinitialize sound output device");
    EXPECT_EQ(Raised([&] { Sound->SetBuffers(4); }),
              "Cannot set soundcard property after initialization.");
    EXPECT_EQ(Capture->OpenCount(), 0);
}

// A stereo buffer of odd length would make the commit test miss and PutSample write past the end.
TEST_F(OutSoundTest, SettingsNoRingCanHoldAreRefusedBeforeTheDeviceIsAsked) {
    struct Case {
        std::int32_t buffers, length, channels;
    };
    for (const Case c : {Case{0, 4000, 1}, Case{3, 0, 1}, Case{3, 4001, 2}}) {
        SCOPED_TRACE(std::to_string(c.buffers) + "/" + std::to_string(c.length) + "/" +
                     std::to_string(c.channels));
        TOutSound sound;
        sound.SetBuffers(c.buffers);
        sound.SetBufferLength(c.length);
        sound.SetChannels(c.channels);
        EXPECT_EQ(Raised([&] { sound.Initialize(); }),
                  "Cannot initialize sound output device: invalid buffer settings.");
        EXPECT_EQ(sound.InitStage(), 0);
    }
    EXPECT_EQ(Capture->OpenCount(), 0);
}

TEST_F(OutSoundTest, FlushCompletesABufferWithSilenceAndNeverQueuesAnEmptyOne) {
    Sound->Initialize();
    Sound->Flush();  // nothing begun
    Sound->PutSample({-7, -7});
    Sound->Flush();
    Sound->Flush();  // right after a commit
    Sound->PutSample({9, 9});
    Sound->Flush();
    std::vector<std::int16_t> expected(8000, 0);
    expected[0] = -7;
    expected[4000] = 9;
    EXPECT_EQ(Played(2), expected);
}

// The 4000th value commits; a commit one early or late would shift the second buffer.
TEST_F(OutSoundTest, TheLastValueOfABufferCommitsIt) {
    Sound->Initialize();
    std::vector<std::int16_t> expected;
    for (int i = 0; i < 4000; ++i) {
        expected.push_back(std::int16_t(i - 2000));
        Sound->PutSample({expected.back(), 0});
    }
    EXPECT_EQ(Played(1), expected);
    Sound->PutSample({31, 31});
    Sound->Flush();
    expected.push_back(31);
    expected.resize(8000, 0);
    EXPECT_EQ(Played(2), expected);
}

TEST_F(OutSoundTest, StereoWritesLeftThenRight) {
    Sound->SetChannels(2);
    Sound->SetBufferLength(8);
    Sound->Initialize();
    for (std::int16_t i = 1; i <= 4; ++i) Sound->PutSample({i, std::int16_t(-i)});
    EXPECT_EQ(Played(1), (std::vector<std::int16_t>{1, -1, 2, -2, 3, -3, 4, -4}));
}

// Every sample reaches the device once and in order, whichever thread reports buffers done.
TEST_F(OutSoundTest, AStreamArrivesWholeAndInOrder) {
    for (Completion completion : {Completion::AtOnce, Completion::PlayTime}) {
        SCOPED_TRACE(int(completion));
        Sound.reset();
        Use(completion);
        Sound = std::make_unique<TOutSound>();
        Sound->SetSampRate(8000);
        Sound->SetBufferLength(40);  // 5 ms each
        Sound->Initialize();
        std::vector<std::int16_t> expected;
        for (int i = 0; i < 40 * 60 + 13; ++i) {
            expected.push_back(std::int16_t(i * 7));
            Sound->PutSample({expected.back(), 0});
        }
        Sound->Flush();
        expected.resize(40 * 61, 0);
        EXPECT_EQ(Played(61), expected);
    }
}

TEST_F(OutSoundTest, FourthBufferWaitsOnAStalledDeviceUntilOneIsPlayed) {
    Sound.reset();
    Use(Completion::Stalled);
    Sound = std::make_unique<TOutSound>();
    Sound->SetSampRate(8000);
    Sound->SetBufferLength(4000);
    Sound->Initialize();
    for (int i = 0; i < 3 * 4000; ++i) Sound->PutSample({1, 1});
    ASSERT_TRUE(Capture->WaitForQueued(3, Patience));

    auto fourth = std::async(std::launch::async, [&] { Sound->PutSample({2, 2}); });
    EXPECT_EQ(fourth.wait_for(200ms), std::future_status::timeout);
    EXPECT_EQ(Capture->Release(1), 1u);
    ASSERT_EQ(fourth.wait_for(Patience), std::future_status::ready);
    fourth.get();
    EXPECT_EQ(Capture->PendingCount(), 2u);
    // Destruction with buffers held by the device hands them back and closes it.
    Sound.reset();
    EXPECT_EQ(Capture->PendingCount(), 0u);
    EXPECT_EQ(Capture->OpenCount(), 0);
}

// With one buffer every token passes through the device, so the order is exact: the buffer
// queued before the loss comes back as done, the next one is refused (its token comes back with
// the failure), and the start of the one after that reports it, once.
TEST_F(OutSoundTest, ADeviceThatGoesAwayEndsTheStreamWithItsErrorAndKeepsEveryToken) {
    Sound.reset();
    Use(Completion::Stalled);
    Sound = std::make_unique<TOutSound>();
    Sound->SetBuffers(1);
    Sound->SetBufferLength(4);
    Sound->Initialize();
    const auto putBuffer = [&](std::int16_t value) {
        for (int i = 0; i < 4; ++i) Sound->PutSample({value, value});
    };
    putBuffer(1);
    ASSERT_TRUE(Capture->WaitForQueued(1, Patience));
    Capture->Lose(77);
    EXPECT_EQ(Capture->PendingCount(), 0u);
    putBuffer(2);  // refused by the device
    EXPECT_EQ(Raised([&] { Sound->PutSample({3, 3}); }), "Capture device failure 77.");

    // Back again: the same component plays on, and the one token is still there, exactly once.
    Capture->Lose(0);
    putBuffer(4);
    ASSERT_TRUE(Capture->WaitForQueued(2, Patience));
    EXPECT_EQ(Capture->Samples(), (std::vector<std::int16_t>{1, 1, 1, 1, 4, 4, 4, 4}));
    auto next = std::async(std::launch::async, [&] { Sound->PutSample({5, 5}); });
    EXPECT_EQ(next.wait_for(200ms), std::future_status::timeout);
    EXPECT_EQ(Capture->Release(1), 1u);
    ASSERT_EQ(next.wait_for(Patience), std::future_status::ready);
    next.get();
}

// The freeze this guards against: a producer waiting for a fourth buffer while the device holds
// three that it will never play. The loss hands them back, and the producer reports the failure
// within the three buffers those tokens allow.
TEST_F(OutSoundTest, AProducerWaitingOnADeviceThatGoesAwayIsReleasedAndReportsIt) {
    Sound.reset();
    Use(Completion::Stalled);
    Sound = std::make_unique<TOutSound>();
    Sound->SetBufferLength(4);
    Sound->Initialize();
    for (int i = 0; i < 3 * 4; ++i) Sound->PutSample({1, 1});
    ASSERT_TRUE(Capture->WaitForQueued(3, Patience));
    auto producer = std::async(std::launch::async, [&] {
        for (int sample = 0; sample <= 3 * 4; ++sample) {
            const std::string message = Raised([&] { Sound->PutSample({2, 2}); });
            if (!message.empty()) return std::make_pair(sample, message);
        }
        return std::make_pair(-1, std::string());
    });
    EXPECT_EQ(producer.wait_for(200ms), std::future_status::timeout);  // waits for a token
    Capture->Lose(WaveOutErrorBadDeviceId);
    ASSERT_EQ(producer.wait_for(Patience), std::future_status::ready);
    const auto [sample, message] = producer.get();
    EXPECT_EQ(message, "The sound output device number is out of range.");
    EXPECT_GE(sample, 4);      // the first buffer after the loss is accepted for writing
    EXPECT_EQ(sample % 4, 0);  // reported where a buffer begins
    EXPECT_EQ(Capture->PendingCount(), 0u);
}

TEST_F(OutSoundTest, DestructionWhileTheThreadWaitsEndsAndReleasesTheDevice) {
    Sound->Initialize();
    Sound.reset();
    EXPECT_EQ(Capture->OpenCount(), 0);
}

TEST_F(OutSoundTest, CloseReleasesEverythingSoTheComponentCanStartAgain) {
    Sound->Initialize();
    Sound->PutSample({3, 3});  // a buffer begun and never committed is dropped
    Sound->Close();
    EXPECT_EQ(Sound->InitStage(), 0);
    EXPECT_EQ(Sound->WaveOutHandle(), nullptr);
    EXPECT_EQ(Capture->OpenCount(), 0);
    EXPECT_EQ(Capture->QueuedCount(), 0u);
    Sound->Flush();
    Sound->SetBufferLength(2);
    Sound->Initialize();
    Sound->PutSample({4, 4});
    Sound->PutSample({5, 5});
    EXPECT_EQ(Played(1), (std::vector<std::int16_t>{4, 5}));
}

TEST_F(OutSoundTest, CloseReportsAFailingResetOrCloseAndTheDestructorFinishes) {
    struct Case {
        const char* name;
        void (WaveOutCapture::*fail)(WaveOutResult);
        int openAfterClose;
    };
    for (const Case c : {Case{"reset", &WaveOutCapture::FailReset, 1},
                         Case{"close", &WaveOutCapture::FailClose, 0}}) {
        SCOPED_TRACE(c.name);
        Sound.reset();
        Use(Completion::Stalled);
        Sound = std::make_unique<TOutSound>();
        Sound->SetBufferLength(4);
        Sound->Initialize();
        for (int i = 0; i < 4; ++i) Sound->PutSample({1, 1});
        ASSERT_TRUE(Capture->WaitForQueued(1, Patience));
        ((*Capture).*c.fail)(555);
        EXPECT_EQ(Raised([&] { Sound->Close(); }), "Capture device failure 555.");
        EXPECT_EQ(Capture->OpenCount(), c.openAfterClose);
        EXPECT_EQ(Raised([&] { Sound->PutSample({1, 1}); }),
                  "Cannot send sample until output transfer thread has been created.");
        Sound.reset();
        EXPECT_EQ(Capture->OpenCount(), 0);
        EXPECT_EQ(Capture->PendingCount(), 0u);
    }
}

TEST(WaveOutProcTest, OnlyTheDoneMessageGivesABufferBack) {
    BufferSemaphore free(0);
    const auto instance = reinterpret_cast<std::uintptr_t>(&free);
    WaveOutProc(nullptr, WaveOutOpenMessage, instance, 0, 0);
    WaveOutProc(nullptr, WaveOutCloseMessage, instance, 0, 0);
    EXPECT_FALSE(free.try_acquire());
    WaveOutProc(nullptr, WaveOutDoneMessage, instance, 0, 0);
    EXPECT_TRUE(free.try_acquire());
    EXPECT_FALSE(free.try_acquire());
}

}  // namespace
}  // namespace kelvo
