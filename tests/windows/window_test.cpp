// kovoflash.exe's window under Wine, used as a user uses it: window_driver.exe
// clicks, picks and types by Win32 messages and reads what the window shows,
// against kovo-devsim on a COM port of the build's prefix. Runs under
// xvfb-run (window_tests.cmake), which gives the display.
#include "24GHz_prog.h"
#include "cli_fixture.h"
#include "devsim_process.h"
#include "program_under_test.h"
#include "window_driver_client.h"
#include "window_texts.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace kovo::wine_window_testing {
namespace {

using cli_testing::Block;
using cli_testing::Bytes;
using testsupport::DevsimProcess;
using testsupport::program_under_test;
using namespace std::chrono_literals;

constexpr int kGerman = 0;
constexpr int kEnglish = 1;
constexpr std::size_t kProgrammedSize = 16384; // what a device of memory size 1 receives
constexpr auto kStartDeadline = 60s;           // the prefix's first window starts Wine's desktop
constexpr auto kStepDeadline = 40s;            // a connect, a load, a whole programming run
constexpr auto kEndDeadline = 5s;              // a program done with the device ends at once

Bytes pattern(std::size_t count, unsigned step) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * step + 11);
  return bytes;
}

// The start of the image and its last page.
const std::vector<Block> kFirmware = {{0x0000, pattern(1024, 37)}, {0x3F00, pattern(256, 5)}};

// The panel ids of the controls whose labels the shared texts give.
const std::map<std::string, int> kControlIds = {{"PANEL_CONNECT", PANEL_CONNECT},
                                                {"PANEL_LOAD_FILE", PANEL_LOAD_FILE},
                                                {"PANEL_PROGRAM", PANEL_PROGRAM},
                                                {"PANEL_QUIT", PANEL_QUIT},
                                                {"PANEL_PARAM_PROGRESS", PANEL_PARAM_PROGRESS},
                                                {"PANEL_LOAD_PROGRESS", PANEL_LOAD_PROGRESS},
                                                {"PANEL_FLASH_PROGRESS", PANEL_FLASH_PROGRESS},
                                                {"PANEL_COMPORT", PANEL_COMPORT},
                                                {"PANEL_FILENAME", PANEL_FILENAME},
                                                {"PANEL_BOOT_VERSION", PANEL_BOOT_VERSION},
                                                {"PANEL_DEVICE_TYPE", PANEL_DEVICE_TYPE},
                                                {"PANEL_STEP_1", PANEL_STEP_1},
                                                {"PANEL_STEP_2", PANEL_STEP_2},
                                                {"PANEL_STEP_3", PANEL_STEP_3},
                                                {"PANEL_STEP_4", PANEL_STEP_4},
                                                {"PANEL_STEP_5", PANEL_STEP_5},
                                                {"PANEL_STEP_6", PANEL_STEP_6},
                                                {"PANEL_STEP_7", PANEL_STEP_7}};

std::string required_environment(const char* name) {
  const QByteArray value = qgetenv(name);
  if (value.isEmpty()) throw std::runtime_error(std::string(name) + " is not set: run the window tests through ctest");
  return value.toStdString();
}

struct Rgb {
  int red, green, blue;
};

Rgb rgb_of(const std::string& hex) {
  const unsigned long value = std::stoul(hex, nullptr, 16);
  return {static_cast<int>(value >> 16 & 0xFF), static_cast<int>(value >> 8 & 0xFF), static_cast<int>(value & 0xFF)};
}

// Wide margins: a theme may shade the fill.
bool is_green(const Rgb& colour) { return colour.green > 160 && colour.red < 100 && colour.blue < 100; }
bool is_red(const Rgb& colour) { return colour.red > 160 && colour.green < 100 && colour.blue < 100; }

class WineWindowTest : public ::testing::Test {
protected:
  WineWindowTest() {
    if (!current_.isValid() || !files_.isValid()) throw std::runtime_error("no temporary folder");
  }

  // Closed as by its close box; a program still busy with the device drops
  // that, and is ended once the test no longer needs it. Not in the
  // destructor: a driver that has gone throws, and gtest reports it here.
  void TearDown() override {
    if (!driver_) return;
    driver_->ask("close");
    driver_->ask("end " + std::to_string(kEndDeadline.count()));
  }

  // Starts a simulated device with these options on a COM port, then the
  // program in a folder of its own (its settings stay there), and finds its window.
  void open_window(const std::vector<std::string>& device_options = {}) {
    device_ = std::make_unique<DevsimProcess>(device_options);
    port_ = program_under_test().map_port(device_->ptyPath());
    program_under_test().add_to(environment_);
    driver_ = std::make_unique<testsupport::WindowDriverClient>(
        QString::fromStdString(required_environment("KOVO_WINE")),
        QString::fromStdString(required_environment("KOVO_WINDOW_DRIVER")), environment_, current_.path());
    ask("start " +
        program_under_test().file_name(QString::fromStdString(required_environment("KOVO_WINDOW_EXE"))).toStdString());
    ask("window " + std::to_string(kStartDeadline.count()) + " " + testsupport::kWindowTitle);
  }

  // The driver's answer to a command that must succeed.
  std::string ask(const std::string& command) {
    const testsupport::DriverAnswer answer = driver_->ask(command);
    if (!answer.ok) throw std::runtime_error("'" + command + "' failed: " + answer.value);
    return answer.value;
  }
  std::string text(int id) { return ask("text " + std::to_string(id)); }
  std::string label(int id) { return ask("label " + std::to_string(id)); }
  bool enabled(int id) { return ask("enabled " + std::to_string(id)) == "1"; }
  void click(int id) { ask("click " + std::to_string(id)); }
  Rgb indicator_colour() { return rgb_of(ask("colour " + std::to_string(PANEL_FLASH_PROGRESS))); }

  bool wait_for_text(int id, const std::string& expected) {
    return testsupport::wait_until([&] { return text(id) == expected; }, kStepDeadline);
  }

  // The user's language, picked with its button: every text changed once the program is done.
  void switch_language(int language) {
    click(language == kGerman ? PANEL_GERMAN : PANEL_ENGLISH);
    ask("done");
    ASSERT_EQ(text(PANEL_CONNECT), testsupport::window_text("PANEL_CONNECT", language));
  }

  // Picks the device's port in the ring and presses Connect.
  void connect() {
    ask("pick " + std::to_string(PANEL_COMPORT) + " " + port_->name().toStdString());
    click(PANEL_CONNECT);
  }

  void connect_and_expect_the_device() {
    connect();
    EXPECT_TRUE(wait_for_text(PANEL_DEVICE_TYPE, "Kovo RX-07")) << text(PANEL_DEVICE_TYPE);
    EXPECT_TRUE(wait_for_text(PANEL_BOOT_VERSION, "V 2.3")) << text(PANEL_BOOT_VERSION);
  }

  // Presses Load and types the file's name into the open dialog, as Windows names it.
  void load_firmware() {
    const QString path = files_.filePath(QStringLiteral("firmware.frm"));
    cli_testing::write_whole_file(path, cli_testing::intel_hex(kFirmware));
    const QString windows_path = program_under_test().file_name(path);
    ASSERT_TRUE(testsupport::wait_until([&] { return enabled(PANEL_LOAD_FILE); }, kStepDeadline));
    click(PANEL_LOAD_FILE);
    EXPECT_EQ(ask("file-dialog " + std::to_string(kStepDeadline.count()) + " " + windows_path.toStdString()),
              "Firmware KovoRecv");
    // After the blank the load writes first, as on Linux.
    EXPECT_TRUE(wait_for_text(PANEL_FILENAME, " " + windows_path.toStdString())) << text(PANEL_FILENAME);
  }

  // The message box the program shows next, as "title\ttext"; closes it.
  std::string next_message() { return ask("message " + std::to_string(kStepDeadline.count())); }

  static std::string message(const char* title, const char* text) {
    return std::string(testsupport::window_text(title, kEnglish)) + "\t" + testsupport::window_text(text, kEnglish);
  }

  std::unique_ptr<DevsimProcess> device_;
  std::unique_ptr<testsupport::MappedPort> port_;
  QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
  std::unique_ptr<testsupport::WindowDriverClient> driver_;
  QTemporaryDir current_;
  QTemporaryDir files_;
};

TEST_F(WineWindowTest, ConnectShowsTheDeviceAndItsBootloaderVersion) {
  open_window();
  switch_language(kEnglish);
  EXPECT_FALSE(enabled(PANEL_LOAD_FILE));
  connect_and_expect_the_device();
  EXPECT_TRUE(testsupport::wait_until([&] { return enabled(PANEL_LOAD_FILE); }, kStepDeadline));
  EXPECT_FALSE(enabled(PANEL_PROGRAM)) << "nothing loaded yet";
}

TEST_F(WineWindowTest, ProgramsTheFileLoadedThroughTheDialogAndEndsGreen) {
  open_window();
  switch_language(kEnglish);
  connect_and_expect_the_device();
  load_firmware();
  ASSERT_TRUE(testsupport::wait_until([&] { return enabled(PANEL_PROGRAM); }, kStepDeadline));
  click(PANEL_PROGRAM);
  ASSERT_TRUE(testsupport::wait_until([&] { return is_green(indicator_colour()); }, kStepDeadline))
      << ask("colour " + std::to_string(PANEL_FLASH_PROGRESS));
  const QStringList progress =
      QString::fromStdString(ask("progress " + std::to_string(PANEL_FLASH_PROGRESS))).split(' ');
  ASSERT_EQ(progress.size(), 2);
  EXPECT_EQ(progress[0], progress[1]) << "the indicator is not full";
  EXPECT_EQ(ask("dialogs"), "0") << "a message on success";
  device_->stop();
  const Bytes memory = device_->readMemory();
  ASSERT_GE(memory.size(), kProgrammedSize);
  EXPECT_EQ(Bytes(memory.begin(), memory.begin() + kProgrammedSize), cli_testing::image_of(kFirmware, kProgrammedSize));
}

TEST_F(WineWindowTest, DeviceThatCannotBeUpdatedLeavesLoadAndProgramDimmed) {
  open_window({"--type", "D1"});
  switch_language(kEnglish);
  connect();
  EXPECT_EQ(next_message(), message("text_flash_err_3", "text_flash_err_4"));
  EXPECT_FALSE(enabled(PANEL_LOAD_FILE));
  EXPECT_FALSE(enabled(PANEL_PROGRAM));
  EXPECT_FALSE(driver_->ask("click " + std::to_string(PANEL_LOAD_FILE)).ok) << "a dimmed button took a click";
}

TEST_F(WineWindowTest, DeviceThatFallsSilentEndsRedWithTheProgrammingError) {
  open_window({"--silent-after-frames", "40"});
  switch_language(kEnglish);
  connect_and_expect_the_device();
  load_firmware();
  ASSERT_TRUE(testsupport::wait_until([&] { return enabled(PANEL_PROGRAM); }, kStepDeadline));
  click(PANEL_PROGRAM);
  EXPECT_EQ(next_message(), message("text_flash_err_1", "text_flash_err_2"));
  EXPECT_TRUE(testsupport::wait_until([&] { return is_red(indicator_colour()); }, kStepDeadline))
      << ask("colour " + std::to_string(PANEL_FLASH_PROGRESS));
}

// Each control's label in both languages equals the Linux window's.
TEST_F(WineWindowTest, TextsOfBothLanguagesEqualTheLinuxWindows) {
  open_window();
  for (const int language : {kGerman, kEnglish, kGerman}) {
    switch_language(language);
    for (const auto& [name, id] : kControlIds) {
      EXPECT_EQ(label(id), testsupport::window_text(name.c_str(), language)) << name << " in language " << language;
    }
  }
}

// Screenshots of the window in both languages, and every text whole: no
// button or static text smaller than its text needs.
TEST_F(WineWindowTest, ScreenshotsShowEveryTextWhole) {
  const QDir output(QString::fromStdString(required_environment("KOVO_SCREENSHOTS")));
  ASSERT_TRUE(output.mkpath(QStringLiteral(".")));
  open_window();
  for (const auto& [language, file] :
       {std::pair{kGerman, "panel-windows-de.png"}, {kEnglish, "panel-windows-en.png"}}) {
    switch_language(language);
    EXPECT_EQ(ask("clipped"), "") << "in language " << language;
    ask("raise"); // above the windows of tests that run meanwhile
    const QStringList rect = QString::fromStdString(ask("rect 0")).split(QLatin1Char(' '));
    ASSERT_EQ(rect.size(), 4);
    const QString crop = QStringLiteral("%1x%2+%3+%4").arg(rect[2], rect[3], rect[0], rect[1]);
    QProcess import; // on the prefix's display, where the window shows
    import.setProcessEnvironment(environment_);
    import.start(QString::fromStdString(required_environment("KOVO_IMPORT")),
                 {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"), crop,
                  QStringLiteral("+repage"), output.filePath(QString::fromLatin1(file))});
    ASSERT_TRUE(import.waitForFinished(60000));
    EXPECT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
  }
}

} // namespace
} // namespace kovo::wine_window_testing

// The COM ports and file names of the Windows program under Wine.
int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  std::vector<char*> arguments(argv, argv + argc);
  char wine_option[] = "--program=wine";
  arguments.push_back(wine_option);
  int count = static_cast<int>(arguments.size());
  kovo::testsupport::choose_program_under_test(count, arguments.data());
  return RUN_ALL_TESTS();
}
