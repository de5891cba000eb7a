// The bounded queue between the playback thread and an encoder's writer.
#include <gtest/gtest.h>

#include "playback/engine/record/encoderqueue.h"

#include <future>
#include <thread>

namespace {

using zengine::EncoderQueue;
using namespace std::chrono_literals;

TEST(EncoderQueue, DropsWholeBlocksWhenFullAndTakesMoreOnceDrained) {
  EncoderQueue q(10);
  EXPECT_TRUE(q.Push(std::vector<uint8_t>(6, 1)));
  EXPECT_FALSE(q.Push(std::vector<uint8_t>(6, 2)));  // would pass the capacity: dropped
  EXPECT_TRUE(q.Push(std::vector<uint8_t>(4, 3)));   // still fits exactly
  EXPECT_EQ(q.DroppedBytes(), 6u);
  EXPECT_EQ(q.Pop(0ms)->front(), 1);
  EXPECT_TRUE(q.Push(std::vector<uint8_t>(6, 4)));
  EXPECT_EQ(q.Pop(0ms)->front(), 3);
  EXPECT_EQ(q.Pop(0ms)->front(), 4);
  EXPECT_FALSE(q.Pop(0ms).has_value());
}

TEST(EncoderQueue, ClosedQueueRefusesPushesButDrains) {
  EncoderQueue q(100);
  q.Push(std::vector<uint8_t>(3, 7));
  q.Close();
  EXPECT_FALSE(q.Push(std::vector<uint8_t>(1, 8)));
  EXPECT_EQ(q.Pop(1s)->size(), 3u);
  EXPECT_FALSE(q.Pop(1s).has_value());
  EXPECT_TRUE(q.Closed());
}

TEST(EncoderQueue, BatchJoinsBlocksInOrderOnceEnoughIsQueued) {
  EncoderQueue q(100);
  q.Push({1, 2});
  auto early = std::async(std::launch::async, [&] { return q.PopBatch(5, 10s); });
  std::this_thread::sleep_for(50ms);
  q.Push({3, 4});
  EXPECT_EQ(early.wait_for(50ms), std::future_status::timeout);  // 4 bytes: still waiting
  q.Push({5});
  EXPECT_EQ(early.get(), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  // Less than asked for is handed out when the wait ends, nothing gives nullopt.
  q.Push({6});
  EXPECT_EQ(q.PopBatch(50, 20ms), (std::vector<uint8_t>{6}));
  EXPECT_FALSE(q.PopBatch(50, 20ms).has_value());
}

}  // namespace
