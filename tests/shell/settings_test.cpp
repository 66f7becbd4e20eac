// The settings file: what start-up makes of it, and what each change stores.
#include "24GHz_prog.h"
#include "flash.h"
#include "glob.h"
#include "program_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>

namespace kovo::testing {
namespace {

struct StoredSettings {
  const char* name;
  std::string file; // the settings file's bytes before start-up
  int port;         // COMGEN afterwards
  const char* ring; // the ring's item afterwards
  int language;
  std::string path; // datei_pfad afterwards
};

void PrintTo(const StoredSettings& stored, std::ostream* out) { *out << stored.name; }

class SettingsAtStartup : public ProgramTest, public ::testing::WithParamInterface<StoredSettings> {};

TEST_P(SettingsAtStartup, AreReadAsTheyStand) {
  const StoredSettings& stored = GetParam();
  ports_.add("COM3");
  ports_.add("COM7");
  write_settings_file(stored.file);
  run_program([&] {
    EXPECT_EQ(COMGEN, stored.port);
    EXPECT_EQ(control<QComboBox>("PANEL_COMPORT")->currentText(), stored.ring);
    EXPECT_EQ(language, stored.language);
    EXPECT_EQ(std::string(datei_pfad), stored.path);
    EXPECT_EQ(window()->windowTitle(), "PC-KovoFlash V1.0");
  });
  EXPECT_EQ(read_settings_file(), stored.file) << "reading leaves the file alone";
}

std::string binary_junk() {
  std::string junk;
  for (int i = 0; i < 300000; ++i) junk.push_back(static_cast<char>((i * 131 + 7) % 256));
  return junk;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsAtStartup,
    ::testing::Values(
        StoredSettings{"ListedPort", "7\n/fw/a.frm\n0\n", 7, "COM7", 0, "/fw/a.frm"},
        StoredSettings{"UnlistedPortKeepsRingOnFirstItem", "9\n\n0\n", 9, "COM3", 0, ""},
        StoredSettings{"BlanksDigitsLetters", "  12abc\n\n0\n", 12, "COM3", 0, ""},
        StoredSettings{"NoNumberIsPortZero", "abc\n\n1\n", 0, "COM3", 1, ""},
        StoredSettings{"HugeNumberDoesNotOverflow", "99999999999999999999\n\n0\n", 2147483647, "COM3", 0, ""},
        StoredSettings{"LanguageLineStartingWithOne", "7\n\n1xyz\n", 7, "COM7", 1, ""},
        StoredSettings{"LanguageLineTwoKeepsGerman", "7\n\n2\n", 7, "COM7", 0, ""},
        StoredSettings{"EmptyLanguageLineKeepsGerman", "7\n\n\n", 7, "COM7", 0, ""},
        StoredSettings{"OnlyThePortLine", "7\n", 7, "COM7", 0, ""},
        StoredSettings{"EmptyFileKeepsCurrentValues", "", 3, "COM3", 0, ""},
        StoredSettings{"WindowsLineEnds", "7\r\nC:\\fw\\rx 07.frm\r\n1\r\n", 7, "COM7", 1, "C:\\fw\\rx 07.frm"},
        StoredSettings{"PathTooLongIsNotCut", "7\n" + std::string(300, 'p') + "\n1\n", 7, "COM7", 1, ""},
        StoredSettings{"LongestPathThatFits", "7\n" + std::string(259, 'p') + "\n1\n", 7, "COM7", 1,
                       std::string(259, 'p')},
        StoredSettings{"NoLineEndAtAll", "7", 7, "COM7", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

class Settings : public ProgramTest {};

TEST_F(Settings, BinaryFileStartsTheProgramWithoutHarm) {
  ports_.add("COM3");
  write_settings_file(binary_junk());
  EXPECT_EQ(run_program([this] { EXPECT_TRUE(window()->isVisible()); }), 0);
}

TEST_F(Settings, UnwritableFileIsSkippedSilently) {
  ports_.add("COM3");
  ASSERT_TRUE(QDir(folder_.path()).mkdir("ini_pckovorecv.dat"));
  EXPECT_EQ(run_program([this] {
              click("PANEL_ENGLISH");
              EXPECT_EQ(language, 1);
              EXPECT_EQ(COMGEN, 3);
            }),
            0);
  EXPECT_TRUE(dialogs_.messages().empty());
}

TEST_F(Settings, LanguageSwitchChangesOnlyTextsAndStoresTheRingSelection) {
  ports_.add("COM3");
  ports_.add("COM7");
  write_settings_file("9\n/fw/old.frm\n0\n");
  run_program([this] {
    SetCtrlVal(MAIN_P, PANEL_COMPORT, 7);
    ResetTextBox(MAIN_P, PANEL_DEVICE_TYPE, "Kovo RX-07");
    ResetTextBox(MAIN_P, PANEL_BOOT_VERSION, "V 2.3");
    ResetTextBox(MAIN_P, PANEL_FILENAME, "/fw/old.frm");
    SetCtrlVal(MAIN_P, PANEL_FLASH_PROGRESS, 512);
    SetCtrlVal(MAIN_P, PANEL_CONNECT_PROGRESS, 17);
    SetCtrlAttribute(MAIN_P, PANEL_LOAD_FILE, ATTR_DIMMED, 0);

    click("PANEL_ENGLISH");

    EXPECT_EQ(control<QComboBox>("PANEL_COMPORT")->currentText(), "COM7");
    EXPECT_EQ(control<QLineEdit>("PANEL_DEVICE_TYPE")->text(), "Kovo RX-07");
    EXPECT_EQ(control<QLineEdit>("PANEL_BOOT_VERSION")->text(), "V 2.3");
    EXPECT_EQ(control<QLineEdit>("PANEL_FILENAME")->text(), "/fw/old.frm");
    EXPECT_EQ(control<QProgressBar>("PANEL_FLASH_PROGRESS")->value(), 512);
    EXPECT_EQ(control<QProgressBar>("PANEL_CONNECT_PROGRESS")->value(), 17);
    EXPECT_FALSE(dimmed(PANEL_LOAD_FILE));
    EXPECT_TRUE(dimmed(PANEL_PROGRAM));
    EXPECT_EQ(COMGEN, 7);
    EXPECT_EQ(read_settings_file(), "7\n/fw/old.frm\n1\n");

    std::remove(path_in_folder("ini_pckovorecv.dat").c_str());
    click("PANEL_ENGLISH");
    EXPECT_EQ(read_settings_file(), "7\n/fw/old.frm\n1\n") << "the same language is stored again";
    click("PANEL_GERMAN");
    EXPECT_EQ(read_settings_file(), "7\n/fw/old.frm\n0\n");
  });
}

TEST_F(Settings, ResetPanelLeavesFileNameAndDimmingAlone) {
  run_program([this] {
    ResetTextBox(MAIN_P, PANEL_FILENAME, "/fw/a.frm");
    ResetTextBox(MAIN_P, PANEL_DEVICE_TYPE, "Kovo RX-07");
    SetCtrlVal(MAIN_P, PANEL_LOAD_PROGRESS, 300);
    SetCtrlAttribute(MAIN_P, PANEL_LOAD_FILE, ATTR_DIMMED, 0);
    reset_panel();
    EXPECT_EQ(control<QLineEdit>("PANEL_FILENAME")->text(), "/fw/a.frm");
    EXPECT_EQ(control<QLineEdit>("PANEL_DEVICE_TYPE")->text(), "");
    EXPECT_EQ(control<QProgressBar>("PANEL_LOAD_PROGRESS")->value(), 0);
    EXPECT_FALSE(dimmed(PANEL_LOAD_FILE));
    EXPECT_TRUE(dimmed(PANEL_PROGRAM));
  });
}

} // namespace
} // namespace kovo::testing
