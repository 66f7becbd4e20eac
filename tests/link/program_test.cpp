// The program button against simulated devices: the frames on the line, the
// device's memory afterwards, the indicator, and each kind of failure.
#include "24GHz_prog.h"
#include "device_fixture.h"
#include "glob.h"
#include "quit_on_stop.h"
#include "signal_handling.h"
#include "utility.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileInfo>
#include <QProgressBar>
#include <QtTest/QTest>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>

namespace kovo::testing {
namespace {

// Frames as the device must receive them: FF, length, command, payload,
// XOR of everything after the start byte.
Bytes frame(std::uint8_t command, const Bytes& payload = {}) {
  Bytes bytes = {0xFF, static_cast<std::uint8_t>(payload.size() + 2), command};
  for (std::uint8_t byte : payload) bytes.push_back(byte);
  std::uint8_t check = 0;
  for (std::size_t i = 1; i < bytes.size(); ++i) check ^= bytes[i];
  bytes.push_back(check);
  return bytes;
}

const Bytes kProgStart = frame(0x21);
const Bytes kProgEnd = frame(0x02);

Bytes data_frame(int page, int offset) {
  Bytes payload = {static_cast<std::uint8_t>(page), static_cast<std::uint8_t>(offset)};
  const auto first = data_flash.begin() + page * 256 + offset;
  payload.insert(payload.end(), first, first + 16);
  return frame(0x0A, payload);
}

std::vector<Bytes> whole_run(int pages) {
  std::vector<Bytes> frames = {kProgStart};
  for (int page = 0; page < pages; ++page) {
    frames.push_back(frame(0x09));
    for (int offset = 0; offset < 256; offset += 16) frames.push_back(data_frame(page, offset));
    frames.push_back(frame(0x07, {static_cast<std::uint8_t>(page), 0}));
    frames.push_back(frame(0x08, {static_cast<std::uint8_t>(page), 0}));
  }
  frames.push_back(kProgEnd);
  return frames;
}

void fill_image_with_noise() {
  std::mt19937 noise(7);
  for (auto& byte : data_flash) byte = static_cast<std::uint8_t>(noise());
}

class Programming : public DeviceTest {
protected:
  Programming() { session_.time_scale = kPatientTimeScale; }
  // Connects to the first device and unlocks programming as a good load would.
  void connect_with_image() {
    click("PANEL_CONNECT");
    SetCtrlAttribute(MAIN_P, PANEL_PROGRAM, ATTR_DIMMED, 0);
  }
  std::vector<Bytes> frames_received() const {
    std::vector<Bytes> frames;
    for (const auto& logged : devices_.front()->finalLog()) {
      if (logged.bytes != kIdentificationRequest) frames.push_back(logged.bytes);
    }
    return frames;
  }
  int colour() const {
    int value = -1;
    GetCtrlAttribute(MAIN_P, PANEL_FLASH_PROGRESS, ATTR_FILL_COLOR, &value);
    return value;
  }
  int progress() const {
    int value = -1;
    GetCtrlVal(MAIN_P, PANEL_FLASH_PROGRESS, &value);
    return value;
  }
};

struct ImageSize {
  const char* device_type;
  int memory_size;
  std::size_t exchanges;
};

void PrintTo(const ImageSize& size, std::ostream* out) { *out << size.memory_size; }

class WholeImage : public Programming, public ::testing::WithParamInterface<ImageSize> {};

TEST_P(WholeImage, ReachesTheDeviceFrameByFrameAndEndsGreen) {
  const ImageSize& size = GetParam();
  auto& device = attach_device({"--type", size.device_type});
  fill_image_with_noise();
  std::vector<int> values;
  run_program([&] {
    QObject::connect(control<QProgressBar>("PANEL_FLASH_PROGRESS"), &QProgressBar::valueChanged,
                     [&](int value) { values.push_back(value); });
    connect_with_image();
    ASSERT_EQ(memory_size, size.memory_size);
    click("PANEL_PROGRAM");
    EXPECT_EQ(progress(), 1023);
    EXPECT_EQ(colour(), 0x00FF00);
  });
  const auto frames = frames_received();
  EXPECT_EQ(frames.size(), size.exchanges);
  EXPECT_TRUE(frames == whole_run(size.memory_size * 64)) << "every frame in its order";
  const auto memory = device.readMemory();
  const std::size_t programmed = size.memory_size * 16384u;
  EXPECT_TRUE(std::equal(memory.begin(), memory.begin() + programmed, data_flash.begin()));
  EXPECT_TRUE(std::all_of(memory.begin() + programmed, memory.end(), [](auto b) { return b == 0xFF; }));
  ASSERT_FALSE(values.empty());
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << "the indicator only moves forward";
  EXPECT_EQ(values.back(), 1023);
  EXPECT_TRUE(dialogs_.messages().size() == (size.memory_size == 2 ? 1u : 0u)) << "only the not-supported note";
}

INSTANTIATE_TEST_SUITE_P(Sizes, WholeImage, ::testing::Values(ImageSize{"71", 1, 1218}, ImageSize{"D1", 2, 2434}));

TEST_F(Programming, BlankImageFramesByteForByte) {
  attach_device();
  data_flash.fill(0xFF);
  run_program([this] {
    connect_with_image();
    click("PANEL_PROGRAM");
  });
  const auto frames = frames_received();
  ASSERT_GE(frames.size(), 20u);
  EXPECT_EQ(frames[0], Bytes({0xFF, 0x02, 0x21, 0x23}));
  EXPECT_EQ(frames[1], Bytes({0xFF, 0x02, 0x09, 0x0B}));
  Bytes first_data = {0xFF, 0x14, 0x0A, 0x00, 0x00};
  first_data.insert(first_data.end(), 16, 0xFF);
  first_data.push_back(0x1E);
  EXPECT_EQ(frames[2], first_data);
  EXPECT_EQ(frames[18], Bytes({0xFF, 0x04, 0x07, 0x00, 0x00, 0x03}));
  EXPECT_EQ(frames[19], Bytes({0xFF, 0x04, 0x08, 0x00, 0x00, 0x0C}));
  EXPECT_EQ(frames.back(), Bytes({0xFF, 0x02, 0x02, 0x00}));
}

TEST_F(Programming, SilentDeviceEndsRedWithOneMessage) {
  session_.time_scale = kShortTimeScale;
  attach_device({"--silent-after-frames", "0"});
  run_program([this] {
    connect_with_image();
    click("PANEL_ENGLISH");
    click("PANEL_PROGRAM");
    EXPECT_EQ(colour(), 0xFF0000);
    EXPECT_EQ(progress(), 0);
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0].title, "Programming error");
    EXPECT_EQ(dialogs_.messages()[0].text, "Incorrect programming!\nReconnect receiver\nand restart programming!");
  });
  EXPECT_EQ(frames_received(), std::vector<Bytes>({kProgStart, kProgStart, kProgStart, kProgEnd, kProgEnd, kProgEnd}));
}

TEST_F(Programming, RejectedDataFrameStopsThePagesSilentlyButStillCloses) {
  attach_device({"--wrong-code", "0A:5:3"});
  fill_image_with_noise();
  run_program([this] {
    connect_with_image();
    click("PANEL_PROGRAM");
    EXPECT_EQ(colour(), 0xFF0000);
    EXPECT_EQ(progress(), 5 * 16 + 2) << "the last acknowledged frame's value stays";
    EXPECT_TRUE(dialogs_.messages().empty());
  });
  const auto frames = frames_received();
  ASSERT_GE(frames.size(), 2u);
  EXPECT_EQ(frames[frames.size() - 2], data_frame(5, 0x30));
  EXPECT_EQ(frames.back(), kProgEnd);
  const auto expected = whole_run(64);
  EXPECT_TRUE(std::equal(frames.begin(), frames.end() - 1, expected.begin())) << "nothing after page 5, block 3";
}

TEST_F(Programming, RejectedSecondPageEndShowsTheMessageAndStillCloses) {
  attach_device({"--wrong-check", "08:63"});
  run_program([this] {
    connect_with_image();
    click("PANEL_PROGRAM");
    EXPECT_EQ(colour(), 0xFF0000);
    EXPECT_EQ(progress(), 0) << "the panel was reset after the message";
    EXPECT_EQ(dialogs_.messages().size(), 1u);
  });
  const auto frames = frames_received();
  EXPECT_EQ(frames.size(), 1218u);
  EXPECT_EQ(frames.back(), kProgEnd);
}

TEST_F(Programming, SecondPageEndAndClosingBothFailingShowTheMessageTwice) {
  session_.time_scale = kShortTimeScale;
  attach_device({"--silent-after-frames", "19"}); // start, page begin, 16 blocks, first end
  run_program([this] {
    connect_with_image();
    click("PANEL_PROGRAM");
    EXPECT_EQ(colour(), 0xFF0000);
    EXPECT_EQ(dialogs_.messages().size(), 2u);
  });
}

TEST_F(Programming, RejectedClosingCommandTurnsAGoodRunRed) {
  auto& device = attach_device({"--wrong-code", "02"});
  fill_image_with_noise();
  run_program([this] {
    connect_with_image();
    click("PANEL_PROGRAM");
    EXPECT_EQ(colour(), 0xFF0000);
    EXPECT_EQ(progress(), 0) << "the panel was reset after the message";
    EXPECT_EQ(dialogs_.messages().size(), 1u);
  });
  const auto memory = device.readMemory();
  EXPECT_TRUE(std::equal(memory.begin(), memory.begin() + 16384, data_flash.begin())) << "every page went out";
}

TEST_F(Programming, LineClosedMidRunEndsRedWithoutHanging) {
  attach_device({"--close-after-frames", "100"});
  run_program([this] {
    connect_with_image();
    const Seconds took = time_of([this] { click("PANEL_PROGRAM"); });
    EXPECT_LT(took.count(), 10.0);
    EXPECT_EQ(colour(), 0xFF0000);
    EXPECT_EQ(dialogs_.messages().size(), 1u);
  });
}

TEST_F(Programming, StopRequestEndsThePagesRedStillClosesAndQuits) {
  attach_device({"--paced"}); // the whole image takes some 8 s
  fill_image_with_noise();
  const rt::SignalHandling signal_handling;
  const rt::QuitOnStop quit_on_stop;
  run_program([this] {
    connect_with_image();
    QObject::connect(control<QProgressBar>("PANEL_FLASH_PROGRESS"), &QProgressBar::valueChanged, [](int value) {
      if (value >= 100 && !StopRequested()) std::raise(SIGTERM);
    });
    click("PANEL_PROGRAM");
    EXPECT_EQ(colour(), 0xFF0000);
    EXPECT_TRUE(dialogs_.messages().empty()) << "the device acknowledged the closing command";
    EXPECT_TRUE(told_to_quit_within(std::chrono::seconds(2)));
  });
  const auto frames = frames_received();
  ASSERT_GE(frames.size(), 100u);
  EXPECT_LT(frames.size(), 1218u) << "the stop ended the run, not the last page";
  EXPECT_EQ(frames.back(), kProgEnd);
  const auto expected = whole_run(64);
  EXPECT_TRUE(std::equal(frames.begin(), frames.end() - 1, expected.begin())) << "in order up to the stop";
}

TEST_F(Programming, SecondPressProgramsTheSameImageAgainFromPageZero) {
  attach_device();
  fill_image_with_noise();
  run_program([this] {
    connect_with_image();
    click("PANEL_PROGRAM");
    click("PANEL_PROGRAM");
    EXPECT_EQ(colour(), 0x00FF00);
  });
  auto expected = whole_run(64);
  const auto once = expected;
  expected.insert(expected.end(), once.begin(), once.end());
  EXPECT_TRUE(frames_received() == expected);
}

TEST_F(Programming, RepickingTheChosenPortKeepsTheLineOpen) {
  attach_device();
  fill_image_with_noise();
  run_program([this] {
    connect_with_image();
    std::remove(path_in_folder("ini_pckovorecv.dat").c_str());
    auto* ring = control<QComboBox>("PANEL_COMPORT");
    ring->showPopup();
    QTest::keyClick(ring->view(), Qt::Key_Return); // the item already chosen
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path_in_folder("ini_pckovorecv.dat"))))
        << "nothing was committed";
    click("PANEL_PROGRAM");
    EXPECT_EQ(colour(), 0x00FF00) << "the port stayed open";
  });
}

// After a good connect and load, the user picks the next port and connects
// again: only a device this version updates may be programmed next.
struct Reconnect {
  const char* name;
  std::vector<std::string> second_device; // empty: a port that cannot be opened
  bool programming_offered;
};

void PrintTo(const Reconnect& reconnect, std::ostream* out) { *out << reconnect.name; }

class ProgrammingAfterReconnect : public Programming, public ::testing::WithParamInterface<Reconnect> {
protected:
  // A device that never answers is polled 201 times.
  ProgrammingAfterReconnect() {
    if (GetParam().second_device == kSilentDevice) session_.time_scale = kSilentDeviceTimeScale;
  }
};

TEST_P(ProgrammingAfterReconnect, IsOfferedOnlyForAnAcceptedDevice) {
  const Reconnect& reconnect = GetParam();
  attach_device({"--type", "71"});
  const bool port_opens = !reconnect.second_device.empty();
  testsupport::DevsimProcess* second = port_opens ? &attach_device(reconnect.second_device) : nullptr;
  if (!port_opens) ports_.add("ttyGONE", "/nonexistent/ttyGONE");
  const std::string file = path_in_folder("firmware.frm");
  std::ofstream(file) << ":10000000000102030405060708090A0B0C0D0E0F78\n:00000001FF\n";
  run_program([&] {
    click("PANEL_CONNECT");
    dialogs_.choose_file(file);
    click("PANEL_LOAD_FILE");
    ASSERT_FALSE(dimmed(PANEL_PROGRAM)) << "a good connect and load offer programming";
    QTest::keyClick(control("PANEL_COMPORT"), Qt::Key_Down);
    click("PANEL_CONNECT");
    EXPECT_EQ(dimmed(PANEL_PROGRAM), !reconnect.programming_offered);
    if (!dimmed(PANEL_LOAD_FILE)) {
      dialogs_.choose_file(file);
      click("PANEL_LOAD_FILE");
      EXPECT_EQ(dimmed(PANEL_PROGRAM), !reconnect.programming_offered) << "loading again changes nothing";
    }
    click("PANEL_PROGRAM");
    EXPECT_EQ(colour() == 0x00FF00, reconnect.programming_offered);
  });
  if (!second) return;
  if (reconnect.programming_offered) {
    const auto memory = second->readMemory();
    EXPECT_TRUE(std::equal(memory.begin(), memory.begin() + 16384, data_flash.begin()))
        << "the image as loaded, in the new device's size";
  } else {
    const auto logged = second->finalLog();
    EXPECT_TRUE(std::all_of(logged.begin(), logged.end(), [](const auto& frame) {
      return frame.bytes == kIdentificationRequest;
    })) << "no programming frame reached the device";
  }
}

INSTANTIATE_TEST_SUITE_P(Devices, ProgrammingAfterReconnect,
                         ::testing::Values(Reconnect{"AnotherUpdatableType", {"--type", "72"}, true},
                                           Reconnect{"NotSupportedType", {"--type", "D1"}, false},
                                           Reconnect{"NoAnswer", kSilentDevice, false},
                                           Reconnect{"PortCannotBeOpened", {}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kovo::testing
