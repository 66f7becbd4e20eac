#include "frame_log.h"

#include <gtest/gtest.h>

namespace kovo::devsim::test {
namespace {

TEST(FrameLogTest, FormatsSecondsWithMicrosecondsAndUpperCaseHex) {
  EXPECT_EQ(formatLogLine(std::chrono::microseconds(12'345'678), Bytes{0xFF, 0x01, 0xFF, 0xFE}),
            "12.345678 FF 01 FF FE");
  EXPECT_EQ(formatLogLine(std::chrono::microseconds(42), Bytes{0x0a}), "0.000042 0A");
}

} // namespace
} // namespace kovo::devsim::test
