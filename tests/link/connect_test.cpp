// The connect button against simulated devices: polling, identification,
// what the panel shows, and what a long poll does to user input.
#include "24GHz_prog.h"
#include "device_fixture.h"
#include "glob.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QtTest/QTest>

namespace kovo::testing {
namespace {

class Connect : public DeviceTest {
protected:
  QString device_type() const { return control<QLineEdit>("PANEL_DEVICE_TYPE")->text(); }
  QString boot_version() const { return control<QLineEdit>("PANEL_BOOT_VERSION")->text(); }
  int connect_progress() const {
    int value = -1;
    GetCtrlVal(MAIN_P, PANEL_CONNECT_PROGRESS, &value);
    return value;
  }
};

struct DeviceType {
  const char* code; // as kovo-devsim takes it
  const char* shown;
  bool loadable;
  bool not_supported_message;
  int memory_size;
};

void PrintTo(const DeviceType& type, std::ostream* out) { *out << type.code; }

class Identification : public Connect, public ::testing::WithParamInterface<DeviceType> {};

TEST_P(Identification, ShowsTheDeviceAndUnlocksLoadingOnlyForUpdatableTypes) {
  const DeviceType& type = GetParam();
  attach_device({"--type", type.code, "--bootloader-version", "2.3"});
  run_program([&] {
    click("PANEL_CONNECT");
    EXPECT_EQ(device_type(), type.shown);
    EXPECT_EQ(boot_version(), "V 2.3");
    EXPECT_EQ(dimmed(PANEL_LOAD_FILE), !type.loadable);
    EXPECT_TRUE(dimmed(PANEL_PROGRAM));
    EXPECT_EQ(memory_size, type.memory_size);
    EXPECT_EQ(rx_typ, std::stoi(type.code, nullptr, 16));
    EXPECT_TRUE(device_answered);
    EXPECT_EQ(connect_progress(), 0);
    EXPECT_EQ(dialogs_.messages().size(), type.not_supported_message ? 1u : 0u);
  });
  EXPECT_EQ(received(kIdentificationRequest).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    TypeTable, Identification,
    ::testing::Values(
        DeviceType{"11", "Kovo Receiver SAT1", false, true, 1}, DeviceType{"41", "Kovo Ground C4", true, false, 1},
        DeviceType{"4D", "KovoLink Decode 4", false, true, 1}, DeviceType{"51", "Kovo RX-05", true, false, 1},
        DeviceType{"52", "Kovo RX-05 Lt", true, false, 1}, DeviceType{"5D", "KovoLink Decode 5", false, true, 1},
        DeviceType{"5F", "Kovo Ext Module 05", false, true, 1}, DeviceType{"71", "Kovo RX-07", true, false, 1},
        DeviceType{"72", "Kovo RX-07 Climb", true, false, 1}, DeviceType{"74", "Kovo RX-07 Quadrix", true, false, 1},
        DeviceType{"91", "Kovo RX-09", true, false, 1}, DeviceType{"92", "Kovo RX-09 Climb", true, false, 1},
        DeviceType{"B1", "KovoWaveCard", false, true, 1}, DeviceType{"BA", "KovoWaveCard active", false, true, 1},
        DeviceType{"D1", "KovoLogger TLM", false, true, 2}, DeviceType{"20", "", false, false, 1},
        DeviceType{"00", "", false, false, 1}),
    [](const auto& info) { return std::string("Code") + info.param.code; });

TEST_F(Connect, NotSupportedDeviceShowsItsVersionOnlyAfterTheMessage) {
  attach_device({"--type", "D1", "--bootloader-version", "1.0"});
  QString version_while_message_open = "<no message>";
  dialogs_.on_message([&](const auto&) { version_while_message_open = boot_version(); });
  run_program([&] {
    click("PANEL_ENGLISH");
    click("PANEL_CONNECT");
    EXPECT_EQ(version_while_message_open, "");
    EXPECT_EQ(boot_version(), "V 1.0");
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0].title, "Programming error");
    EXPECT_EQ(dialogs_.messages()[0].text,
              "Updating firmware of this KovoXxxx device is not\navailable with this version of KovoUpdate!");
  });
}

struct VersionText {
  const char* reported;
  const char* shown;
};

void PrintTo(const VersionText& text, std::ostream* out) { *out << text.reported; }

class VersionTexts : public Connect, public ::testing::WithParamInterface<VersionText> {};

TEST_P(VersionTexts, AreShownUnpadded) {
  attach_device({"--bootloader-version", GetParam().reported});
  run_program([this] {
    click("PANEL_CONNECT");
    EXPECT_EQ(boot_version(), GetParam().shown);
  });
}

INSTANTIATE_TEST_SUITE_P(Cases, VersionTexts,
                         ::testing::Values(VersionText{"1.10", "V 1.10"}, VersionText{"0.0", "V 0.0"},
                                           VersionText{"255.255", "V 255.255"}));

TEST_F(Connect, DeviceSwitchedOnLateIsFoundAtItsRequest) {
  constexpr int kAnsweredRequest = 6;
  attach_device({"--silent-ids", std::to_string(kAnsweredRequest - 1)});
  std::vector<int> shown; // what the indicator showed, change by change
  run_program([&] {
    QObject::connect(control<QProgressBar>("PANEL_CONNECT_PROGRESS"), &QProgressBar::valueChanged,
                     [&](int value) { shown.push_back(value); });
    click("PANEL_CONNECT");
    EXPECT_EQ(device_type(), "Kovo RX-07");
  });
  EXPECT_EQ(shown, std::vector<int>({1, 2, 3, 4, kAnsweredRequest - 1, 0})) << "counting up while polling, 0 after";
  EXPECT_EQ(received(kIdentificationRequest).size(), static_cast<std::size_t>(kAnsweredRequest));
}

TEST_F(Connect, SecondConnectEmptiesTheBoxesAndFillsThemFromTheNewReply) {
  attach_device({"--type", "71", "--bootloader-version", "2.3"});
  attach_device({"--type", "91", "--bootloader-version", "3.1"});
  run_program([this] {
    click("PANEL_CONNECT");
    EXPECT_EQ(device_type(), "Kovo RX-07");
    QTest::keyClick(control("PANEL_COMPORT"), Qt::Key_Down);
    click("PANEL_CONNECT");
    EXPECT_EQ(device_type(), "Kovo RX-09");
    EXPECT_EQ(boot_version(), "V 3.1");
    click("PANEL_CONNECT");
    EXPECT_EQ(device_type(), "Kovo RX-09") << "connecting twice on the open line";
    EXPECT_TRUE(dialogs_.messages().empty());
  });
}

TEST_F(Connect, PortThatCannotBeOpenedLeavesThePanelAsItWas) {
  ports_.add("COM42", "/dev/no-such-line");
  int hidden = 0, shown = 0;
  run_program([&] {
    ResetTextBox(MAIN_P, PANEL_DEVICE_TYPE, "Kovo RX-07");
    ResetTextBox(MAIN_P, PANEL_BOOT_VERSION, "V 2.3");
    SetCtrlVal(MAIN_P, PANEL_CONNECT_PROGRESS, 7);
    struct Counter : QObject {
      int& hidden;
      int& shown;
      Counter(int& h, int& s) : hidden(h), shown(s) {}
      bool eventFilter(QObject*, QEvent* event) override {
        hidden += event->type() == QEvent::Hide;
        shown += event->type() == QEvent::Show;
        return false;
      }
    } counter(hidden, shown);
    window()->installEventFilter(&counter);
    click("PANEL_CONNECT");
    window()->removeEventFilter(&counter);
    EXPECT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(device_type(), "Kovo RX-07");
    EXPECT_EQ(boot_version(), "V 2.3");
    EXPECT_EQ(connect_progress(), 7) << "no polling";
    EXPECT_TRUE(window()->isVisible());
  });
  EXPECT_EQ(hidden, 1);
  EXPECT_EQ(shown, 1);
}

TEST_F(Connect, LineLostWhilePollingShowsThePortMessageAtOnce) {
  auto& device = attach_device(kSilentDevice);
  run_program([&] {
    click("PANEL_ENGLISH");
    QTimer::singleShot(300, [&] { device.stop(); }); // the adapter pulled out
    click("PANEL_CONNECT");
    EXPECT_LT(connect_progress(), 200) << "ended at the lost line, not after the whole poll";
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0].title, "COM-Port");
    EXPECT_EQ(dialogs_.messages()[0].text, "COM-Port not found!\nPlease select another COM-Port!");
    EXPECT_EQ(device_type(), "");
  });
}

// In real time: a device that answers the 26th request keeps this to a
// second; how many requests a poll makes before it gives up is checked below.
TEST_F(Connect, RequestsGoOutFortyMillisecondsApart) {
  constexpr std::size_t kAnsweredRequest = 26;
  attach_device({"--silent-ids", std::to_string(kAnsweredRequest - 1)});
  run_program([this] {
    click("PANEL_CONNECT");
    EXPECT_EQ(device_type(), "Kovo RX-07");
  });
  const auto requests = received(kIdentificationRequest);
  ASSERT_EQ(requests.size(), kAnsweredRequest);
  std::vector<std::chrono::microseconds> gaps;
  for (std::size_t i = 1; i < requests.size(); ++i) gaps.push_back(requests[i].sinceStart - requests[i - 1].sinceStart);
  const auto span = requests.back().sinceStart - requests.front().sinceStart;
  EXPECT_GT(span, gaps.size() * std::chrono::milliseconds(38));
  // A busy machine stretches single gaps, not most of them.
  std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
  EXPECT_LT(gaps[gaps.size() / 2], std::chrono::milliseconds(120));
}

// Replies that must never be accepted: the poll runs its 201 requests and
// gives up without a word. Polled every 2 ms: most replies still arrive
// within their poll, and a single one accepted fails the test.
struct UnacceptedReply {
  const char* name;
  std::vector<std::string> device;
};

void PrintTo(const UnacceptedReply& reply, std::ostream* out) { *out << reply.name; }

class GivingUp : public Connect, public ::testing::WithParamInterface<UnacceptedReply> {
protected:
  GivingUp() { session_.time_scale = kSilentDeviceTimeScale; }
};

TEST_P(GivingUp, AfterTwoHundredAndOneRequests) {
  attach_device(GetParam().device);
  run_program([this] {
    SetCtrlAttribute(MAIN_P, PANEL_LOAD_FILE, ATTR_DIMMED, 0); // as an earlier connect left it
    click("PANEL_CONNECT");
    EXPECT_EQ(connect_progress(), 200);
    EXPECT_EQ(control<QProgressBar>("PANEL_CONNECT_PROGRESS")->value(), 200);
    EXPECT_EQ(device_type(), "");
    EXPECT_EQ(boot_version(), "");
    EXPECT_FALSE(dimmed(PANEL_LOAD_FILE));
    EXPECT_TRUE(dialogs_.messages().empty());
    EXPECT_EQ(memory_size, 0);
    EXPECT_FALSE(device_answered);
  });
  EXPECT_EQ(received(kIdentificationRequest).size(), 201u);
}

INSTANTIATE_TEST_SUITE_P(Replies, GivingUp,
                         ::testing::Values(UnacceptedReply{"NoDevice", kSilentDevice},
                                           UnacceptedReply{"TypeCodeFF", {"--type", "FF"}},
                                           UnacceptedReply{"BadCheckByte", {"--wrong-check", "01"}},
                                           UnacceptedReply{"ElevenBytes", {"--extra-bytes", "01:1"}},
                                           UnacceptedReply{"EchoNotTheRequest", {"--wrong-echo", "01"}}),
                         [](const auto& info) { return std::string(info.param.name); });

// The window's own scroll bars still move the view: a small screen must be
// able to see the whole panel while it works.
TEST_F(Connect, InputDuringAPollIsDiscardedWhileTheWindowKeepsUp) {
  session_.time_scale = kShortTimeScale;
  constexpr std::size_t kAnsweredRequest = 60;
  attach_device({"--silent-ids", std::to_string(kAnsweredRequest - 1)});
  int progress_seen_on_screen = 0;
  int scrolled_to = 0;
  bool input_sent = false;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (!runtime_.callback_running()) return;
    progress_seen_on_screen = control<QProgressBar>("PANEL_CONNECT_PROGRESS")->value();
    if (progress_seen_on_screen < 20 || input_sent) return;
    input_sent = true;
    click("PANEL_QUIT");
    click("PANEL_ENGLISH");
    QTest::keyClick(window()->windowHandle(), Qt::Key_F1);
    QTest::keyClick(window()->windowHandle(), Qt::Key_Escape);
    QScrollBar* across = static_cast<QScrollArea*>(window())->horizontalScrollBar();
    QTest::mouseClick(across, Qt::LeftButton, {}, QPoint(across->width() - 2 * across->height(), across->height() / 2));
    scrolled_to = across->value();
  });
  user.start(10);
  run_program([&] {
    window()->resize(400, 300); // a screen too small for the panel
    QCoreApplication::processEvents();
    click("PANEL_CONNECT");
    user.stop();
    // Anything kept back to be replayed after the poll would act now.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(input_sent);
    EXPECT_FALSE(runtime_.quit_requested());
    EXPECT_EQ(language, 0);
  });
  EXPECT_GT(progress_seen_on_screen, 20) << "the indicator moved on screen during the poll";
  EXPECT_GT(scrolled_to, 0) << "the window's scroll bar did not move during the poll";
  EXPECT_EQ(received(kIdentificationRequest).size(), kAnsweredRequest) << "F1 did not start a second poll";
}

} // namespace
} // namespace kovo::testing
