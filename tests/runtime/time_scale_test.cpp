// The protocol's waits follow the session's time scale; without a session
// they are real time.
#include "idle.h"
#include "session.h"

#include <gtest/gtest.h>
#include <chrono>

namespace {

using namespace std::chrono_literals;

TEST(TimeScale, WithoutASessionWaitsAreRealTime) { EXPECT_EQ(rt::scaled_wait(0.04), 40ms); }

TEST(TimeScale, ASessionWaitsRealTimeUntilToldOtherwise) {
  const rt::Session session;
  EXPECT_EQ(rt::scaled_wait(0.5), 500ms);
}

TEST(TimeScale, ASessionsScaleShortensEveryWait) {
  rt::Session session;
  session.time_scale = 0.25;
  EXPECT_EQ(rt::scaled_wait(0.04), 10ms);
  EXPECT_EQ(rt::scaled_wait(0.5), 125ms);
}

} // namespace
