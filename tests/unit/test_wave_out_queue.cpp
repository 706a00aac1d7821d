#include "platform/wave_out_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace kelvo {
namespace {

TEST(HeaderQueueTest, HeadersLeaveInOrderAndCanBeQueuedAgainAtOnce) {
    HeaderQueue queue;
    std::vector<WaveHeader> headers(3);
    EXPECT_EQ(queue.Pop(), nullptr);
    for (WaveHeader& header : headers) queue.Push(&header);
    for (WaveHeader& header : headers) EXPECT_EQ(queue.Pop(), &header);
    EXPECT_EQ(queue.Pop(), nullptr);
    // The last header out is queued again right away, as a ring of one buffer does.
    queue.Push(&headers[0]);
    EXPECT_EQ(queue.Pop(), &headers[0]);
    queue.Push(&headers[0]);
    queue.Push(&headers[1]);
    EXPECT_EQ(queue.Pop(), &headers[0]);
    EXPECT_EQ(queue.Pop(), &headers[1]);
    EXPECT_EQ(queue.Pop(), nullptr);
}

// More buffers than any fixed bound, passed through two queues by three threads the way the
// device does (writer → audio thread → notifier), each header reused as soon as it comes back.
TEST(HeaderQueueTest, ManyHeadersCirculateThroughTwoQueuesWithoutLossOrReorder) {
    constexpr int Buffers = 200;
    constexpr int Rounds = 50;
    std::vector<WaveHeader> headers(Buffers);
    HeaderQueue pending;
    HeaderQueue finished;
    std::atomic<int> returned{0};
    std::thread audio([&] {
        for (int moved = 0; moved < Buffers * Rounds;) {
            if (WaveHeader* header = pending.Pop()) {
                finished.Push(header);
                ++moved;
            } else {
                std::this_thread::yield();
            }
        }
    });
    std::vector<WaveHeader*> order;
    std::thread notifier([&] {
        for (int seen = 0; seen < Buffers * Rounds;) {
            if (WaveHeader* header = finished.Pop()) {
                order.push_back(header);
                header->User += 1;
                returned.fetch_add(1, std::memory_order_release);
                ++seen;
            } else {
                std::this_thread::yield();
            }
        }
    });
    for (int round = 0; round < Rounds; ++round) {
        for (WaveHeader& header : headers) pending.Push(&header);
        // The next round reuses every header only once it has come back.
        while (returned.load(std::memory_order_acquire) < Buffers * (round + 1)) std::this_thread::yield();
    }
    audio.join();
    notifier.join();
    ASSERT_EQ(order.size(), std::size_t(Buffers * Rounds));
    for (std::size_t i = 0; i < order.size(); ++i) ASSERT_EQ(order[i], &headers[i % Buffers]) << i;
    for (const WaveHeader& header : headers) EXPECT_EQ(header.User, std::uintptr_t(Rounds));
}

TEST(CallbackGateTest, OnceShutNoCallbackGetsInAndShutWaitsForOneInside) {
    CallbackGate gate;
    ASSERT_TRUE(gate.Enter());
    std::atomic<bool> shut{false};
    std::thread closer([&] {
        gate.Shut();
        shut.store(true);
    });
    // A callback inside reads on; Shut returns only once it has left.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the closer is waiting in Shut by now
    EXPECT_FALSE(shut.load());
    gate.Leave();
    closer.join();
    EXPECT_TRUE(shut.load());
    EXPECT_FALSE(gate.Enter());
}

}  // namespace
}  // namespace kelvo
