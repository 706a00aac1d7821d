#include "audio/wave_buff_ring.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kelvo {
namespace {

// Runs `call` and returns the guard's message, or "" when nothing was raised.
template <typename Call>
std::string GuardMessage(Call call) {
    try {
        call();
    } catch (const EWaveBuffRing& error) {
        return error.what();
    }
    return "";
}

// Writes `stamp` into every value of the tail buffer and commits it.
WaveBuff& CommitStamped(WaveBuffRing& ring, std::int16_t stamp) {
    for (std::int32_t i = 0; i < ring.Tail().Length(); ++i) ring.PutValue(i, stamp);
    return ring.GetandMoveTail();
}

TEST(WaveBuffTest, HeaderDescribesTheValuesAndStaysInsideTheBuffer) {
    for (std::int32_t length : {1, 7, 4000}) {
        SCOPED_TRACE(length);
        WaveBuff buffer(length);
        const WaveHeader* header = buffer.HeaderAddress();
        EXPECT_EQ(header->Data, buffer.ValueAddress(0));
        EXPECT_EQ(header->BufferLength, std::uint32_t(2 * length));
        EXPECT_EQ(header->BytesRecorded, 0u);
        EXPECT_EQ(header->User, 0u);
        EXPECT_EQ(header->Flags, 0u);
        EXPECT_EQ(header->Loops, 0u);
        EXPECT_EQ(header->Next, nullptr);
        EXPECT_EQ(header->Reserved, 0u);
        const auto* begin = reinterpret_cast<const char*>(&buffer);
        const auto* at = reinterpret_cast<const char*>(header);
        EXPECT_TRUE(at >= begin && at + sizeof(WaveHeader) <= begin + sizeof(WaveBuff));
        EXPECT_EQ(buffer.ValueAddress(length - 1), buffer.ValueAddress(0) + (length - 1));
    }
}

TEST(WaveBuffRingTest, BuffersFormOneCircleOfDistinctBuffers) {
    for (std::int32_t count : {1, 2, 3, 5}) {
        SCOPED_TRACE(count);
        WaveBuffRing ring(count, 4);
        EXPECT_EQ(ring.BufferCount(), count);
        std::set<const WaveBuff*> seen;
        const WaveBuff* buffer = &ring.Head();
        for (std::int32_t i = 0; i < count; ++i) {
            seen.insert(buffer);
            EXPECT_EQ(buffer->Length(), 4);
            buffer = &buffer->Next();
        }
        EXPECT_EQ(buffer, &ring.Head());
        EXPECT_EQ(seen.size(), std::size_t(count));
    }
}

TEST(WaveBuffRingTest, NewRingIsEmptyAndRefusesATakeWithoutChange) {
    WaveBuffRing ring(3, 4);
    EXPECT_EQ(&ring.Head(), &ring.Tail());
    EXPECT_EQ(ring.FilledCount(), 0);
    const WaveBuff* head = &ring.Head();
    EXPECT_EQ(GuardMessage([&] { ring.GetandMoveHead(); }),
              "Attempt to GetandMoveHead when WaveBuffRing empty.");
    EXPECT_EQ(&ring.Head(), head);
    EXPECT_EQ(&ring.Tail(), head);
    EXPECT_EQ(ring.FilledCount(), 0);
    ring.PutValue(0, 123);
    EXPECT_EQ(*ring.Tail().ValueAddress(0), 123);
}

TEST(WaveBuffRingTest, FullRingRefusesPutAndCommitWithoutChangeUntilATake) {
    for (std::int32_t count : {1, 3}) {
        SCOPED_TRACE(count);
        WaveBuffRing ring(count, 4);
        WaveBuff& first = CommitStamped(ring, 1);
        for (std::int16_t stamp = 2; stamp <= count; ++stamp) CommitStamped(ring, stamp);
        ASSERT_EQ(ring.FilledCount(), count);
        EXPECT_EQ(&ring.Head(), &first);
        EXPECT_EQ(&ring.Tail(), &first);

        EXPECT_EQ(GuardMessage([&] { ring.PutValue(0, 99); }),
                  "Attempt to PutValue when WaveBuffRing full.");
        EXPECT_EQ(GuardMessage([&] { ring.GetandMoveTail(); }),
                  "Attempt to GetandMoveTail when WaveBuffRing full.");
        EXPECT_EQ(ring.FilledCount(), count);
        EXPECT_EQ(&ring.Head(), &first);
        EXPECT_EQ(&ring.Tail(), &first);
        EXPECT_EQ(*first.ValueAddress(0), 1);

        EXPECT_EQ(&ring.GetandMoveHead(), &first);
        EXPECT_EQ(ring.FilledCount(), count - 1);
        ring.PutValue(0, 99);  // the ring allows it; the caller's semaphore decides if it is safe
        EXPECT_EQ(*first.ValueAddress(0), 99);
    }
}

// Commits run `lead` buffers ahead of takes; each take must return the buffer committed that many
// steps earlier, with its values, lap after lap.
TEST(WaveBuffRingTest, TakesReturnBuffersInCommitOrderOverManyLaps) {
    struct Case {
        std::int32_t count;
        std::int32_t lead;
    };
    for (const Case c : {Case{1, 1}, Case{2, 1}, Case{3, 1}, Case{3, 3}, Case{5, 4}}) {
        SCOPED_TRACE(std::to_string(c.count) + " buffers, lead " + std::to_string(c.lead));
        WaveBuffRing ring(c.count, 3);
        std::vector<const WaveBuff*> committed;
        std::int16_t nextStamp = 0;
        std::size_t taken = 0;
        for (std::int32_t i = 0; i < c.lead; ++i) committed.push_back(&CommitStamped(ring, nextStamp++));
        for (int step = 0; step < 4 * c.count + 3; ++step) {
            WaveBuff& buffer = ring.GetandMoveHead();
            EXPECT_EQ(&buffer, committed[taken]);
            EXPECT_EQ(*buffer.ValueAddress(2), std::int16_t(taken));
            ++taken;
            committed.push_back(&CommitStamped(ring, nextStamp++));
            EXPECT_EQ(ring.FilledCount(), c.lead);
        }
        // The circle is walked in order: every count-th buffer is the same one.
        for (std::size_t i = c.count; i < committed.size(); ++i)
            EXPECT_EQ(committed[i], committed[i - c.count]);
    }
}

}  // namespace
}  // namespace kelvo
