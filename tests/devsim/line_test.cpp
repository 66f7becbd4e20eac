#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

#include "devsim_process.h"
#include "pty_client.h"
#include "test_frames.h"

namespace kovo::devsim::test {
namespace {

using Clock = std::chrono::steady_clock;
using testsupport::DevsimProcess;
using Arguments = std::vector<std::string>;

// How long the simulator may take to exit once asked to.
constexpr std::chrono::seconds kExitTimeout{5};
// 11 bit times at 38400 baud.
constexpr double kByteSeconds = 11.0 / 38400.0;

using Memory = std::array<std::uint8_t, 64 * 1024>;

// A running simulator and the PC's open port to it.
struct Session {
  explicit Session(const Arguments& arguments = {}) : device(arguments), port(device.ptyPath()) {}

  // Sends `frame` and reads its echo plus `replySize` bytes.
  Bytes exchange(const Bytes& frame, std::size_t replySize) {
    port.send(frame);
    return port.receive(frame.size() + replySize);
  }

  DevsimProcess device;
  PtyClient port;
};

Memory erasedMemory() {
  Memory memory;
  memory.fill(0xFF);
  return memory;
}

Bytes asBytes(const Memory& memory) { return Bytes(memory.begin(), memory.end()); }

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// --- Identification ---------------------------------------------------------------------------

struct IdentificationCase {
  std::string name;
  Arguments arguments;
  Bytes reply;
};

class IdentificationTest : public testing::TestWithParam<IdentificationCase> {};

TEST_P(IdentificationTest, EchoesRequestThenRepliesWithTypeAndVersion) {
  Session session(GetParam().arguments);
  EXPECT_EQ(session.exchange(identifyRequest(), GetParam().reply.size()), concat(identifyRequest(), GetParam().reply));
  EXPECT_TRUE(session.port.receiveFor().empty());
}

INSTANTIATE_TEST_SUITE_P(Devices, IdentificationTest,
                         testing::Values(IdentificationCase{"Defaults", {}, {0xFF, 0x01, 0x71, 0x02, 0x03, 0x71}},
                                         IdentificationCase{"Type5AVersion10",
                                                            {"--type", "5A", "--bootloader-version", "1.0"},
                                                            {0xFF, 0x01, 0x5A, 0x01, 0x00, 0x5A}},
                                         IdentificationCase{"Type08Version10_255",
                                                            {"--type", "08", "--bootloader-version", "10.255"},
                                                            {0xFF, 0x01, 0x08, 0x0A, 0xFF, 0xFC}}),
                         [](const testing::TestParamInfo<IdentificationCase>& info) { return info.param.name; });

TEST(LineTest, LateDeviceOnlyEchoesFirstIdentifications) {
  Session session({"--silent-ids", "2"});
  for (int request = 0; request < 2; ++request) {
    EXPECT_EQ(session.exchange(identifyRequest(), 0), identifyRequest());
    EXPECT_TRUE(session.port.receiveFor().empty()) << "request " << request;
  }
  EXPECT_EQ(session.exchange(identifyRequest(), 6), concat(identifyRequest(), defaultIdentifyReply()));
}

// --- Input that gets no reply -------------------------------------------------------------------

struct RejectedCase {
  std::string name;
  Bytes input;
};

class RejectedInputTest : public testing::TestWithParam<RejectedCase> {};

TEST_P(RejectedInputTest, IsEchoedOnlyAndLineStaysInSync) {
  Session session;
  EXPECT_EQ(session.exchange(GetParam().input, 0), GetParam().input);
  EXPECT_TRUE(session.port.receiveFor().empty());
  EXPECT_EQ(session.exchange(shortFrame(0x21), 4), concat(shortFrame(0x21), acknowledgementOf(0x21)));
}

Bytes dataFrameWithBadCheck() {
  Bytes frame = dataFrame(1, 0, blockPattern(1));
  frame.back() ^= 0x01;
  return frame;
}

INSTANTIATE_TEST_SUITE_P(Inputs, RejectedInputTest,
                         testing::Values(RejectedCase{"IdentificationBadCheck", {0xFF, 0x01, 0xFF, 0xFF}},
                                         RejectedCase{"ShortFrameBadCheck", {0xFF, 0x02, 0x21, 0x24}},
                                         RejectedCase{"DataFrameBadCheck", dataFrameWithBadCheck()},
                                         RejectedCase{"UnknownCommand", shortFrame(0x55)},
                                         RejectedCase{"WrongLengthForCommand", withCheck({0xFF, 0x03, 0x21, 0x00})},
                                         RejectedCase{"Noise", {0x00, 0x12, 0x34, 0xFE}}),
                         [](const testing::TestParamInfo<RejectedCase>& info) { return info.param.name; });

// --- Frames split across writes -----------------------------------------------------------------

class SplitFrameTest : public testing::TestWithParam<std::size_t> {};

TEST_P(SplitFrameTest, IsReassembledAndAnswered) {
  Session session;
  const Bytes frame = dataFrame(2, 0x40, blockPattern(9));
  const Bytes head(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(GetParam()));
  const Bytes tail(frame.begin() + static_cast<std::ptrdiff_t>(GetParam()), frame.end());
  // Waiting for the echo of the head makes sure the simulator has read it on its own.
  EXPECT_EQ(session.exchange(head, 0), head);
  EXPECT_EQ(session.exchange(tail, 4), concat(tail, acknowledgementOf(0x0A)));
}

INSTANTIATE_TEST_SUITE_P(SplitPoints, SplitFrameTest, testing::Values(1u, 2u, 3u, 11u, 21u),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                           return "After" + std::to_string(info.param) + "Bytes";
                         });

// --- Programming --------------------------------------------------------------------------------

TEST(LineTest, ProgrammingStoresDataAndWritesMemoryOnClosingCommand) {
  Session session;
  const std::vector<Bytes> frames{shortFrame(0x21),
                                  shortFrame(0x09),
                                  dataFrame(0x12, 0x00, blockPattern(0x10)),
                                  dataFrame(0x12, 0x30, blockPattern(0x20)),
                                  dataFrame(0x12, 0x30, blockPattern(0x20)), // a retry is handled again
                                  pageEndFrame(0x07, 0x12),
                                  pageEndFrame(0x08, 0x12),
                                  shortFrame(0x09),
                                  dataFrame(0xFF, 0xF0, blockPattern(0x30)),
                                  pageEndFrame(0x07, 0xFF),
                                  pageEndFrame(0x08, 0xFF),
                                  shortFrame(0x02)};
  for (const Bytes& frame : frames) {
    EXPECT_EQ(session.exchange(frame, 4), concat(frame, acknowledgementOf(frame[2])));
  }

  Memory expected = erasedMemory();
  std::ranges::copy(blockPattern(0x10), expected.begin() + 0x1200);
  std::ranges::copy(blockPattern(0x20), expected.begin() + 0x1230);
  std::ranges::copy(blockPattern(0x30), expected.begin() + 0xFFF0);
  // Written before the last acknowledgement went out.
  EXPECT_EQ(session.device.readMemory(), asBytes(expected));
  EXPECT_EQ(session.device.stop(), 0);
  EXPECT_EQ(session.device.readMemory(), asBytes(expected));
}

TEST(LineTest, WritesMemoryWhenTerminated) {
  Session session;
  const Bytes frame = dataFrame(0x01, 0x10, blockPattern(0x44));
  EXPECT_EQ(session.exchange(frame, 4), concat(frame, acknowledgementOf(0x0A)));
  EXPECT_EQ(session.device.stop(), 0);

  Memory expected = erasedMemory();
  std::ranges::copy(blockPattern(0x44), expected.begin() + 0x0110);
  EXPECT_EQ(session.device.readMemory(), asBytes(expected));
}

TEST(LineTest, ExitsWhenStandardInputEnds) {
  DevsimProcess device;
  device.closeInput();
  EXPECT_EQ(device.waitForExit(kExitTimeout), 0);
  EXPECT_EQ(device.readMemory(), asBytes(erasedMemory()));
}

TEST(LineTest, PortCanBeClosedAndReopened) {
  DevsimProcess device;
  for (int opening = 0; opening < 2; ++opening) {
    PtyClient port(device.ptyPath());
    port.send(identifyRequest());
    EXPECT_EQ(port.receive(10), concat(identifyRequest(), defaultIdentifyReply())) << "opening " << opening;
  }
}

// --- Faults -------------------------------------------------------------------------------------

enum class Damage { wrongCode, wrongCheck, extraBytes, missingBytes, silent };

struct Step {
  Bytes frame;
  Bytes reply;
  // Index of the code answering the request within the reply.
  std::size_t codeIndex;
};

const std::vector<Step>& faultSequence() {
  static const std::vector<Step> steps{
      {identifyRequest(), defaultIdentifyReply(), 1},
      {shortFrame(0x21), acknowledgementOf(0x21), 2},
      {shortFrame(0x09), acknowledgementOf(0x09), 2},
      {dataFrame(3, 0x00, blockPattern(1)), acknowledgementOf(0x0A), 2},
      {dataFrame(3, 0x10, blockPattern(2)), acknowledgementOf(0x0A), 2},
      {pageEndFrame(0x07, 3), acknowledgementOf(0x07), 2},
      {pageEndFrame(0x08, 3), acknowledgementOf(0x08), 2},
      {dataFrame(4, 0x10, blockPattern(3)), acknowledgementOf(0x0A), 2},
      {shortFrame(0x02), acknowledgementOf(0x02), 2},
  };
  return steps;
}

struct FaultCase {
  std::string name;
  Arguments arguments;
  Damage damage;
  std::size_t count; // bytes added or removed
  std::set<std::size_t> damagedSteps;
};

std::size_t damagedReplySize(const Step& step, Damage damage, std::size_t count) {
  switch (damage) {
  case Damage::extraBytes: return step.reply.size() + count;
  case Damage::missingBytes: return step.reply.size() - std::min(count, step.reply.size());
  case Damage::silent: return 0;
  default: return step.reply.size();
  }
}

void expectWrongCode(const Bytes& reply, const Step& step) {
  ASSERT_EQ(reply.size(), step.reply.size());
  const std::size_t last = reply.size() - 1;
  EXPECT_NE(reply[step.codeIndex], step.reply[step.codeIndex]);
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(step.codeIndex)),
            Bytes(step.reply.begin(), step.reply.begin() + static_cast<std::ptrdiff_t>(step.codeIndex)));
  EXPECT_EQ(Bytes(reply.begin() + static_cast<std::ptrdiff_t>(step.codeIndex) + 1, reply.end() - 1),
            Bytes(step.reply.begin() + static_cast<std::ptrdiff_t>(step.codeIndex) + 1, step.reply.end() - 1));
  std::uint8_t check = 0;
  for (std::size_t i = 1; i < last; ++i) check ^= reply[i];
  EXPECT_EQ(reply[last], check) << "check must match the wrong code";
}

void expectWrongCheck(const Bytes& reply, const Step& step) {
  ASSERT_EQ(reply.size(), step.reply.size());
  EXPECT_EQ(Bytes(reply.begin(), reply.end() - 1), Bytes(step.reply.begin(), step.reply.end() - 1));
  EXPECT_NE(reply.back(), step.reply.back());
}

void expectDamaged(const Bytes& reply, const Step& step, Damage damage, std::size_t count) {
  switch (damage) {
  case Damage::wrongCode: expectWrongCode(reply, step); break;
  case Damage::wrongCheck: expectWrongCheck(reply, step); break;
  case Damage::extraBytes:
    ASSERT_EQ(reply.size(), step.reply.size() + count);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(step.reply.size())), step.reply);
    break;
  case Damage::missingBytes:
  case Damage::silent:
    EXPECT_EQ(reply, Bytes(step.reply.begin(),
                           step.reply.begin() + static_cast<std::ptrdiff_t>(damagedReplySize(step, damage, count))));
    break;
  }
}

class FaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, DamagesSelectedRepliesOnly) {
  const FaultCase& fault = GetParam();
  Session session(fault.arguments);
  const auto& steps = faultSequence();
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE("step " + std::to_string(i));
    const Step& step = steps[i];
    session.port.send(step.frame);
    EXPECT_EQ(session.port.receive(step.frame.size()), step.frame) << "echo";
    if (fault.damagedSteps.contains(i)) {
      expectDamaged(session.port.receive(damagedReplySize(step, fault.damage, fault.count)), step, fault.damage,
                    fault.count);
    } else {
      EXPECT_EQ(session.port.receive(step.reply.size()), step.reply);
    }
  }
  EXPECT_TRUE(session.port.receiveFor().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTest,
    testing::Values(
        FaultCase{"WrongCodeOnOneBlock", {"--wrong-code", "0A:3:1"}, Damage::wrongCode, 0, {4}},
        FaultCase{"WrongCodeOnOnePage", {"--wrong-code", "0A:3"}, Damage::wrongCode, 0, {3, 4}},
        FaultCase{"WrongCodeOnAllData", {"--wrong-code", "0A"}, Damage::wrongCode, 0, {3, 4, 7}},
        FaultCase{"WrongCodeOnIdentification", {"--wrong-code", "01"}, Damage::wrongCode, 0, {0}},
        FaultCase{"PageOnCommandWithoutPageMatchesNothing", {"--wrong-code", "21:0"}, Damage::wrongCode, 0, {}},
        FaultCase{"WrongCheckOnPageEnd", {"--wrong-check", "07"}, Damage::wrongCheck, 0, {5}},
        FaultCase{"WrongCheckOnOtherPage", {"--wrong-check", "0A:4"}, Damage::wrongCheck, 0, {7}},
        FaultCase{"ExtraBytesOnPageEnd2", {"--extra-bytes", "08:3:2"}, Damage::extraBytes, 2, {6}},
        FaultCase{"ExtraBytesOnIdentification", {"--extra-bytes", "01:3"}, Damage::extraBytes, 3, {0}},
        FaultCase{"MissingByteOnStart", {"--missing-bytes", "21:1"}, Damage::missingBytes, 1, {1}},
        FaultCase{"WholeReplyMissing", {"--missing-bytes", "0A:4:1:4"}, Damage::missingBytes, 4, {7}},
        FaultCase{"SilentAfterThreeFrames", {"--silent-after-frames", "3"}, Damage::silent, 0, {4, 5, 6, 7, 8}},
        FaultCase{"SilentFromTheStart", {"--silent-after-frames", "0"}, Damage::silent, 0, {1, 2, 3, 4, 5, 6, 7, 8}}),
    [](const testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

TEST(LineTest, ClosesLineAfterFramesOnceLastReplyIsRead) {
  Session session({"--close-after-frames", "2"});
  EXPECT_EQ(session.exchange(shortFrame(0x21), 4), concat(shortFrame(0x21), acknowledgementOf(0x21)));
  EXPECT_EQ(session.exchange(shortFrame(0x09), 4), concat(shortFrame(0x09), acknowledgementOf(0x09)));
  EXPECT_TRUE(session.port.waitForHangUp());
  EXPECT_EQ(session.device.waitForExit(kExitTimeout), 0);
  EXPECT_EQ(session.device.readMemory(), asBytes(erasedMemory()));
}

// --- Timing -------------------------------------------------------------------------------------

// The whole echo and reply arrive, and no sooner than the line carries them.
// That no byte comes later than its time is counted where the clock is the
// test's own (OutputScheduleTest): here a busy machine could only add time.
TEST(LineTest, PacedOutputTakesElevenBitTimesPerByte) {
  Session session({"--paced"});
  const Bytes frame = dataFrame(5, 0x20, blockPattern(5));
  const auto start = Clock::now();
  EXPECT_EQ(session.exchange(frame, 4), concat(frame, acknowledgementOf(0x0A)));
  const double lineTime = 26 * kByteSeconds;
  EXPECT_GE(secondsSince(start), 0.8 * lineTime);
}

TEST(LineTest, ReplyWaitsForReplyDelayAfterEcho) {
  constexpr std::chrono::milliseconds kDelay{300};
  Session session({"--reply-delay", std::to_string(kDelay.count())});
  const auto start = Clock::now();
  session.port.send(identifyRequest());
  EXPECT_EQ(session.port.receive(4), identifyRequest());
  EXPECT_EQ(session.port.receive(6), defaultIdentifyReply());
  EXPECT_GE(Clock::now() - start, kDelay);
}

// --- Log ----------------------------------------------------------------------------------------

TEST(LineTest, LogsEveryReceivedFrameInOrder) {
  const auto start = Clock::now();
  Session session;
  const Bytes badStart{0xFF, 0x02, 0x21, 0x24};
  const Bytes data = dataFrame(7, 0x70, blockPattern(7));
  EXPECT_EQ(session.exchange(identifyRequest(), 6).size(), 10u);
  EXPECT_EQ(session.exchange(badStart, 0), badStart);
  EXPECT_EQ(session.exchange(Bytes{0x00, 0x11}, 0).size(), 2u);
  EXPECT_EQ(session.exchange(data, 4).size(), data.size() + 4);
  const double elapsed = secondsSince(start);

  const auto logged = session.device.readLog();
  ASSERT_EQ(logged.size(), 3u);
  EXPECT_EQ(logged[0].bytes, identifyRequest());
  EXPECT_EQ(logged[1].bytes, badStart);
  EXPECT_EQ(logged[2].bytes, data);
  EXPECT_LE(logged[0].sinceStart, logged[1].sinceStart);
  EXPECT_LE(logged[1].sinceStart, logged[2].sinceStart);
  EXPECT_LE(std::chrono::duration<double>(logged[2].sinceStart).count(), elapsed);
}

TEST(LineTest, StopStillLogsWhatWasSentBeforeIt) {
  Session session;
  // Held still, as a busy machine may hold it, until the frame and the stop
  // both wait for it.
  ASSERT_EQ(::kill(session.device.pid(), SIGSTOP), 0);
  session.port.send(identifyRequest());
  ASSERT_EQ(::kill(session.device.pid(), SIGTERM), 0);
  ASSERT_EQ(::kill(session.device.pid(), SIGCONT), 0);
  const auto logged = session.device.finalLog();
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].bytes, identifyRequest());
}

} // namespace
} // namespace kovo::devsim::test
