// The settings file: what start-up makes of it, and what each change stores.
#include "24GHz_prog.h"
#include "flash.h"
#include "glob.h"
#include "program_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <cstdio>

#include <fstream>
#include <functional>
#include <sstream>

#ifdef __linux__
#include <sys/mount.h>
#endif
#ifndef _WIN32
#include "late_writer.h"

#include <sys/stat.h>
#endif

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
        StoredSettings{"PathTooLongIsNotCut", "7\n" + std::string(1100, 'p') + "\n1\n", 7, "COM7", 1, ""},
        StoredSettings{"LongestPathThatFits", "7\n" + std::string(1039, 'p') + "\n1\n", 7, "COM7", 1,
                       std::string(1039, 'p')},
        // 700 characters of an earlier version's file: more than fits in UTF-8.
        StoredSettings{"LegacyPathTooLongOnceInUtf8IsNotCut", "7\n" + std::string(700, '\xE4') + "\n1\n", 7, "COM7", 1,
                       ""},
        StoredSettings{"LegacyWindows1252Path", "7\nC:\\Firmware\\Empf\xE4nger \x80.frm\n1\n", 7, "COM7", 1,
                       "C:\\Firmware\\Empf\xC3\xA4nger \xE2\x82\xAC.frm"},
        StoredSettings{"NoLineEndAtAll", "7", 7, "COM7", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

class Settings : public ProgramTest {};

TEST_F(Settings, BinaryFileStartsTheProgramWithoutHarm) {
  ports_.add("COM3");
  write_settings_file(binary_junk());
  EXPECT_EQ(run_program([this] { EXPECT_TRUE(window()->isVisible()); }), 0);
}

#ifndef _WIN32
// Something in the settings file's place that cannot be read as one (a pipe
// would hold up the start, a huge file fill the memory) is left as it is,
// and the program starts from its defaults.
struct UnreadableSettings {
  const char* name;
  std::function<void(const std::string& path)> make;
};

void PrintTo(const UnreadableSettings& settings, std::ostream* out) { *out << settings.name; }

class UnreadableSettingsAtStartup : public Settings, public ::testing::WithParamInterface<UnreadableSettings> {};

std::string described(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return "nothing";
  std::ostringstream content;
  if (S_ISREG(status.st_mode)) content << std::ifstream(path, std::ios::binary).rdbuf();
  return std::to_string(status.st_mode) + ":" + std::to_string(status.st_mtim.tv_nsec) + ":" + content.str();
}

TEST_P(UnreadableSettingsAtStartup, AreKeptAndTheDefaultsStand) {
  ports_.add("COM3");
  ports_.add("COM7");
  const std::string path = path_in_folder("ini_pckovorecv.dat");
  GetParam().make(path);
  const std::string before = described(path);
  const LateWriter writer(path, std::chrono::seconds(20));
  const auto start = std::chrono::steady_clock::now();

  EXPECT_EQ(run_program([this] {
              EXPECT_TRUE(window()->isVisible());
              EXPECT_EQ(COMGEN, 3);
              EXPECT_EQ(language, 0);
            }),
            0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15)) << "the start waited for a writer";
  EXPECT_EQ(described(path), before);
  EXPECT_TRUE(dialogs_.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, UnreadableSettingsAtStartup,
                         ::testing::Values(UnreadableSettings{"Pipe",
                                                              [](const std::string& path) {
                                                                ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
                                                              }},
                                           UnreadableSettings{"LargerThanAnySettings",
                                                              [](const std::string& path) {
                                                                std::ofstream(path, std::ios::binary)
                                                                    << "7\n\n1\n"
                                                                    << std::string(100000, ' ');
                                                              }}),
                         [](const auto& info) { return std::string(info.param.name); });
#endif

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

#ifdef __linux__
// A real small disk over the test's folder, so the program meets a full disk
// or a folder without a free inode as a user's machine would show it.
class SmallDisk {
public:
  SmallDisk(const std::string& folder, const char* options) : folder_(folder) {
    mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool mounted() const { return mounted_; }
  // Takes every free block.
  void fill() const {
    std::FILE* filler = std::fopen((folder_ + "/filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    std::setvbuf(filler, nullptr, _IONBF, 0);
    const char block[4096] = {};
    while (std::fwrite(block, 1, sizeof block, filler) == sizeof block) {}
    std::fclose(filler);
  }

private:
  std::string folder_;
  bool mounted_ = false;
};

struct DiskTrouble {
  const char* name;
  const char* mount_options;
  bool fill;
  std::string file_after; // what a switch to English leaves in the file
};

void PrintTo(const DiskTrouble& trouble, std::ostream* out) { *out << trouble.name; }

class SettingsOnATroubledDisk : public ProgramTest, public ::testing::WithParamInterface<DiskTrouble> {};

TEST_P(SettingsOnATroubledDisk, NeverLoseTheStoredFile) {
  const DiskTrouble& trouble = GetParam();
  SmallDisk disk(folder_.path().toStdString(), trouble.mount_options);
  if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root";
  QDir::setCurrent(folder_.path()); // onto the mounted disk, not the folder beneath it
  ports_.add("COM3");
  write_settings_file("3\n/fw/a.frm\n0\n");
  if (trouble.fill) disk.fill();
  run_program([this] {
    click("PANEL_ENGLISH");
    EXPECT_EQ(language, 1) << "the program goes on with the new language";
  });
  EXPECT_EQ(read_settings_file(), trouble.file_after);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsOnATroubledDisk,
                         ::testing::Values(DiskTrouble{"FullDiskKeepsTheOldFile", "size=64k", true,
                                                       "3\n/fw/a.frm\n0\n"},
                                           // The folder itself and the settings file take both inodes.
                                           DiskTrouble{"NoRoomForATemporaryFileWritesInPlace", "size=64k,nr_inodes=2",
                                                       false, "3\n/fw/a.frm\n1\n"}),
                         [](const auto& info) { return std::string(info.param.name); });
#endif

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
