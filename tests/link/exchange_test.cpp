// Opening the line and the request-and-reply exchange, through the real
// serial layer against a simulated device.
#include "device_fixture.h"
#include "glob.h"
#include "pseudo_terminal.h"
#include "rs232.h"
#include "util.h"

namespace kovo::testing {
namespace {

// FF 02 21 23: programming start; acknowledged by FF 02 21 23.
const Bytes kStart = {0xFF, 0x02, 0x21, 0x23};
// FF 02 09 0B: page begin; acknowledged by FF 02 09 0B.
const Bytes kPageBegin = {0xFF, 0x02, 0x09, 0x0B};

Bytes followed_by_zeros(Bytes bytes, std::size_t zeros) {
  bytes.insert(bytes.end(), zeros, 0);
  return bytes;
}

class Exchange : public DeviceTest {
protected:
  // Opens the first device's line and sends kStart, reading echo and reply.
  int exchange_start(Seconds* took = nullptr) {
    EXPECT_EQ(opencom(0.5), 0);
    prepare(kStart);
    int result = -1;
    const Seconds time = time_of([&] { result = write_read_com(4, 8); });
    if (took) *took = time;
    return result;
  }
};

TEST_F(Exchange, AcknowledgedFrameIsReadBehindItsEcho) {
  attach_device();
  run_program([this] {
    EXPECT_EQ(exchange_start(), 0);
    EXPECT_EQ(received_bytes(9), followed_by_zeros({0xFF, 0x02, 0x21, 0x23, 0xFF, 0x02, 0x21, 0x23}, 1));
  });
  EXPECT_EQ(received(kStart).size(), 1u);
}

TEST_F(Exchange, SilentDeviceFailsAfterThreeAttemptsOfHalfASecond) {
  attach_device({"--silent-after-frames", "0"});
  run_program([this] {
    Seconds took{};
    EXPECT_EQ(exchange_start(&took), 1);
    EXPECT_GT(took.count(), 1.3);
    EXPECT_EQ(received_bytes(9), followed_by_zeros(kStart, 5)) << "the last echo, then zeros";
  });
  EXPECT_EQ(received(kStart).size(), 3u);
}

TEST_F(Exchange, ReplyOnTheSecondAttemptSucceeds) {
  attach_device({"--silent-frames", "1"});
  run_program([this] {
    EXPECT_EQ(exchange_start(), 0);
    EXPECT_EQ(received_bytes(9), followed_by_zeros({0xFF, 0x02, 0x21, 0x23, 0xFF, 0x02, 0x21, 0x23}, 1));
  });
  EXPECT_EQ(received(kStart).size(), 2u);
}

TEST_F(Exchange, SurplusBytesAreDiscardedBeforeTheNextFrame) {
  attach_device({"--extra-bytes", "21:3"});
  run_program([this] {
    rx_data.fill(0x55);
    EXPECT_EQ(exchange_start(), 0);
    EXPECT_EQ(rx_data[8], 0) << "the byte after the expected ones is cleared, whatever arrived";
    prepare(kPageBegin);
    EXPECT_EQ(write_read_com(4, 8), 0);
    EXPECT_EQ(received_bytes(9), followed_by_zeros({0xFF, 0x02, 0x09, 0x0B, 0xFF, 0x02, 0x09, 0x0B}, 1));
  });
}

TEST_F(Exchange, WrongContentOfTheRightLengthIsForTheCallerToJudge) {
  attach_device({"--wrong-code", "21"});
  run_program([this] {
    EXPECT_EQ(exchange_start(), 0);
    EXPECT_NE(rx_data[6], 0x21);
  });
  EXPECT_EQ(received(kStart).size(), 1u);
}

// What is read in front of the reply must be the request itself; anything
// else fails the attempt, as a time-out does, and the frame goes out again.
struct ForeignEcho {
  const char* name;
  std::vector<std::string> device;
};

void PrintTo(const ForeignEcho& echo, std::ostream* out) { *out << echo.name; }

class EchoNotTheRequest : public Exchange, public ::testing::WithParamInterface<ForeignEcho> {};

TEST_P(EchoNotTheRequest, FailsTheAttemptAndTheFrameIsSentAgain) {
  attach_device(GetParam().device);
  run_program([this] { EXPECT_EQ(exchange_start(), 1); });
  EXPECT_EQ(received(kStart).size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Echoes, EchoNotTheRequest,
                         ::testing::Values(ForeignEcho{"BitFlipped", {"--wrong-echo", "21"}},
                                           // A rejection past the first attempt's 0.5 s, in front of the second's
                                           // echo (a late acknowledgement reads as echo and reply alike); the third
                                           // attempt's echo waits behind the second reply, past its time-out.
                                           ForeignEcho{"RejectionAfterTheTimeOut",
                                                       {"--late-reply", "21:750", "--wrong-code", "21"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Exchange, LineClosedByTheDeviceFailsWithoutHanging) {
  attach_device({"--close-after-frames", "1"});
  run_program([this] {
    EXPECT_EQ(exchange_start(), 0);
    devices_.front()->waitForExit(std::chrono::seconds(5));
    prepare(kPageBegin);
    int result = -1;
    const Seconds took = time_of([&] { result = write_read_com(4, 8); });
    EXPECT_EQ(result, 1);
    EXPECT_LT(took.count(), 5.0);
  });
}

TEST_F(Exchange, ReadOnASilentLineEndsAtTheTimeOut) {
  PseudoTerminal line; // nothing behind it, not even an echo
  ports_.add("line", line.device_path());
  run_program([] {
    ASSERT_EQ(opencom(0.5), 0);
    unsigned char buffer[10];
    int got = -1;
    const Seconds took = time_of([&] { got = ComRd(COMGEN, buffer, 10); });
    EXPECT_EQ(got, 0);
    EXPECT_EQ(ReturnRS232Err(), kRS_TimeOutErr);
    EXPECT_GT(took.count(), 0.45);
    EXPECT_LT(took.count(), 2.0);
  });
}

TEST_F(Exchange, OpeningAnOpenLineAgainSetsItUpAfresh) {
  attach_device();
  run_program([this] {
    EXPECT_EQ(opencom(0.5), 0);
    EXPECT_EQ(opencom(0.5), 0);
    prepare(kStart);
    EXPECT_EQ(write_read_com(4, 8), 0);
    EXPECT_TRUE(dialogs_.messages().empty());
  });
}

TEST_F(Exchange, PortThatCannotBeOpenedShowsThePortMessageInTheCurrentLanguage) {
  ports_.add("COM42", "/dev/no-such-line");
  run_program([this] {
    click("PANEL_ENGLISH");
    EXPECT_NE(opencom(0.5), 0);
    EXPECT_EQ(COMGEN, 42);
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0].title, "COM-Port");
    EXPECT_EQ(dialogs_.messages()[0].text, "COM-Port not found!\nPlease select another COM-Port!");
  });
}

} // namespace
} // namespace kovo::testing
