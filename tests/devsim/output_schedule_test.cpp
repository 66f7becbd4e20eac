#include "output_schedule.h"

#include <gtest/gtest.h>

namespace kovo::devsim::test {
namespace {

using Clock = OutputSchedule::Clock;
using std::chrono::milliseconds;

const Clock::time_point t0 = Clock::now();
const Bytes kThreeBytes{0x01, 0x02, 0x03};

TEST(OutputScheduleTest, ByteTimeIsElevenBitsAt38400Baud) {
  using Microseconds = std::chrono::duration<double, std::micro>;
  EXPECT_NEAR(Microseconds(kPacedByteTime).count(), 286.458, 0.001);
}

TEST(OutputScheduleTest, UnpacedBytesAreDueAtOnce) {
  OutputSchedule schedule(Clock::duration::zero());
  schedule.enqueue(kThreeBytes, t0);
  EXPECT_EQ(schedule.dueCount(t0), 3u);
  EXPECT_EQ(schedule.peek(3), kThreeBytes);
}

TEST(OutputScheduleTest, PacedBytesArriveOneByteTimeApart) {
  OutputSchedule schedule(milliseconds(1));
  schedule.enqueue(kThreeBytes, t0);
  EXPECT_EQ(schedule.nextDelivery(), t0 + milliseconds(1));
  EXPECT_EQ(schedule.dueCount(t0), 0u);
  EXPECT_EQ(schedule.dueCount(t0 + milliseconds(1)), 1u);
  EXPECT_EQ(schedule.dueCount(t0 + milliseconds(2)), 2u);
  EXPECT_EQ(schedule.dueCount(t0 + milliseconds(3)), 3u);
}

TEST(OutputScheduleTest, BytesQueueBehindBusyLine) {
  OutputSchedule schedule(milliseconds(1));
  schedule.enqueue(kThreeBytes, t0);
  schedule.enqueue(Bytes{0x04}, t0 + milliseconds(1));
  EXPECT_EQ(schedule.dueCount(t0 + milliseconds(3)), 3u);
  EXPECT_EQ(schedule.dueCount(t0 + milliseconds(4)), 4u);
}

TEST(OutputScheduleTest, IdleLineStartsFromNow) {
  OutputSchedule schedule(milliseconds(1));
  schedule.enqueue(Bytes{0x01}, t0);
  schedule.consume(1);
  EXPECT_TRUE(schedule.empty());
  schedule.enqueue(Bytes{0x02}, t0 + milliseconds(10));
  EXPECT_EQ(schedule.nextDelivery(), t0 + milliseconds(11));
}

TEST(OutputScheduleTest, GapStartsAfterQueuedBytes) {
  OutputSchedule schedule(milliseconds(1));
  schedule.enqueue(kThreeBytes, t0);
  schedule.enqueue(Bytes{0x04}, t0, milliseconds(5));
  EXPECT_EQ(schedule.dueCount(t0 + milliseconds(8)), 3u);
  EXPECT_EQ(schedule.dueCount(t0 + milliseconds(9)), 4u);
}

TEST(OutputScheduleTest, ConsumeRemovesWrittenBytesOnly) {
  OutputSchedule schedule(Clock::duration::zero());
  schedule.enqueue(kThreeBytes, t0);
  schedule.consume(2);
  EXPECT_EQ(schedule.dueCount(t0), 1u);
  EXPECT_EQ(schedule.peek(1), Bytes{0x03});
}

} // namespace
} // namespace kovo::devsim::test
