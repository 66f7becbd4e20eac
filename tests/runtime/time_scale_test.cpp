// The protocol's waits follow the session's time scale; without a session
// they are real time.
#include "time_scale.h"
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

// A scale of 1e300 overflows a wait; one of 1e-9 leaves no time for any line to answer.
TEST(TimeScale, FromTheEnvironmentOnlyWithinASaneRange) {
  EXPECT_EQ(rt::time_scale_from_text(""), 1.0) << "unset: real time";
  EXPECT_EQ(rt::time_scale_from_text("0.01"), 0.01);
  EXPECT_EQ(rt::time_scale_from_text("0.2"), 0.2);
  EXPECT_EQ(rt::time_scale_from_text("100"), 100.0);
  for (const char* refused : {"1e300", "1e-9", "0", "-1", "0.0099", "100.5", "nan", "inf", "fast"}) {
    EXPECT_EQ(rt::time_scale_from_text(refused), std::nullopt) << refused;
  }
}

} // namespace
