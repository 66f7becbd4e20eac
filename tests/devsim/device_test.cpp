#include "device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "test_frames.h"

namespace kovo::devsim::test {
namespace {

Frame frame(Bytes bytes) { return Frame{std::move(bytes)}; }

TEST(DeviceTest, AnswersIdentificationWithTypeAndVersion) {
  Device defaults({});
  EXPECT_EQ(defaults.handle(frame(identifyRequest())).reply, defaultIdentifyReply());

  Device other({Identity{0x5A, 1, 0}});
  EXPECT_EQ(other.handle(frame(identifyRequest())).reply, (Bytes{0xFF, 0x01, 0x5A, 0x01, 0x00, 0x5A}));
}

TEST(DeviceTest, IgnoresFirstIdentificationsWhenSwitchedOnLate) {
  Device device({.silentIdentifications = 2});
  EXPECT_TRUE(device.handle(frame(identifyRequest())).reply.empty());
  EXPECT_TRUE(device.handle(frame(identifyRequest())).reply.empty());
  EXPECT_EQ(device.handle(frame(identifyRequest())).reply, defaultIdentifyReply());
}

TEST(DeviceTest, AcknowledgesEachProgrammingCommand) {
  Device device({});
  for (const Bytes& request : {shortFrame(0x21), shortFrame(0x09), dataFrame(1, 0, blockPattern(1)),
                               pageEndFrame(0x07, 1), pageEndFrame(0x08, 1), shortFrame(0x02)}) {
    EXPECT_EQ(device.handle(frame(request)).reply, acknowledgementOf(request[2]));
  }
}

TEST(DeviceTest, IgnoresBadCheckUnknownCommandAndWrongLength) {
  Device device({.silentAfterFrames = 1});
  EXPECT_TRUE(device.handle(frame({0xFF, 0x02, 0x21, 0x24})).reply.empty());
  EXPECT_TRUE(device.handle(frame({0xFF, 0x01, 0xFF, 0xFF})).reply.empty());
  EXPECT_TRUE(device.handle(frame(shortFrame(0x55))).reply.empty());
  EXPECT_TRUE(device.handle(frame(withCheck({0xFF, 0x04, 0x21, 0x00, 0x00}))).reply.empty());
  // None of them counted: the one answered frame is still available.
  EXPECT_EQ(device.handle(frame(shortFrame(0x21))).reply, acknowledgementOf(0x21));
}

TEST(DeviceTest, StoresDataAtPageAndOffset) {
  Device device({});
  device.handle(frame(dataFrame(0x12, 0x30, blockPattern(0x40))));
  device.handle(frame(dataFrame(0xFF, 0xF0, blockPattern(0x80))));

  Memory expected;
  expected.fill(0xFF);
  std::ranges::copy(blockPattern(0x40), expected.begin() + 0x1230);
  std::ranges::copy(blockPattern(0x80), expected.begin() + 0xFFF0);
  EXPECT_EQ(device.memory(), expected);
}

TEST(DeviceTest, ReportsEndOfProgrammingOnClosingCommandOnly) {
  Device device({});
  EXPECT_FALSE(device.handle(frame(shortFrame(0x21))).programmingEnded);
  EXPECT_FALSE(device.handle(frame(pageEndFrame(0x08, 0))).programmingEnded);
  EXPECT_TRUE(device.handle(frame(shortFrame(0x02))).programmingEnded);
}

TEST(DeviceTest, FallsSilentAfterFramesButKeepsStoring) {
  Device device({.silentAfterFrames = 2});
  EXPECT_FALSE(device.handle(frame(shortFrame(0x21))).reply.empty());
  EXPECT_FALSE(device.handle(frame(identifyRequest())).reply.empty());
  EXPECT_FALSE(device.handle(frame(shortFrame(0x09))).reply.empty());
  EXPECT_TRUE(device.handle(frame(dataFrame(0, 0, blockPattern(3)))).reply.empty());
  EXPECT_EQ(device.memory()[0], blockPattern(3)[0]);
}

TEST(DeviceTest, AsksToCloseLineAfterFrames) {
  Device device({.closeAfterFrames = 2});
  const DeviceResponse first = device.handle(frame(shortFrame(0x21)));
  const DeviceResponse second = device.handle(frame(shortFrame(0x09)));
  EXPECT_FALSE(first.closeLine);
  EXPECT_TRUE(second.closeLine);
  EXPECT_EQ(second.reply, acknowledgementOf(0x09));
}

struct SelectorCase {
  std::string name;
  FrameSelector selector;
  Bytes request;
  bool matches;
};

class FrameSelectorTest : public testing::TestWithParam<SelectorCase> {};

TEST_P(FrameSelectorTest, MatchesCodePageAndBlock) {
  EXPECT_EQ(GetParam().selector.matches(frame(GetParam().request)), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Selectors, FrameSelectorTest,
    testing::Values(SelectorCase{"CommandOnly", {0x0A, {}, {}}, dataFrame(7, 0x20, blockPattern(0)), true},
                    SelectorCase{"OtherCommand", {0x0A, {}, {}}, shortFrame(0x21), false},
                    SelectorCase{"Identification", {0x01, {}, {}}, identifyRequest(), true},
                    SelectorCase{"PageMatches", {0x07, 7, {}}, pageEndFrame(0x07, 7), true},
                    SelectorCase{"PageDiffers", {0x07, 7, {}}, pageEndFrame(0x07, 8), false},
                    SelectorCase{"BlockMatches", {0x0A, 7, 2}, dataFrame(7, 0x20, blockPattern(0)), true},
                    SelectorCase{"BlockDiffers", {0x0A, 7, 2}, dataFrame(7, 0x30, blockPattern(0)), false},
                    SelectorCase{"BlockOnOtherPage", {0x0A, 7, 2}, dataFrame(6, 0x20, blockPattern(0)), false},
                    SelectorCase{"PageOnCommandWithoutPage", {0x21, 0, {}}, shortFrame(0x21), false}),
    [](const testing::TestParamInfo<SelectorCase>& info) { return info.param.name; });

} // namespace
} // namespace kovo::devsim::test
