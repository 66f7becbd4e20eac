// LOAD_CRYPT_FILE through the panel: dialog, settings, indicators, buttons,
// messages and the image.
#include "flash.h"
#include "load_fixture.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace kovo::testing {
namespace {

class LoadingSamples : public FirmwareLoad, public ::testing::WithParamInterface<SampleFile> {};

TEST_P(LoadingSamples, EnableProgrammingOnlyWhenLoadedAndReportFaultsOnce) {
  const SampleFile& sample = GetParam();
  const std::string path = sample_path(sample.file);
  run_program([&] {
    connected(sample.memory_size);
    std::ranges::copy(earlier_content(), data_flash.begin());
    load(path);
    EXPECT_EQ(dimmed(PANEL_PROGRAM), !loaded(sample.result));
    EXPECT_FALSE(dimmed(PANEL_LOAD_FILE));
    EXPECT_EQ(image_difference(data_flash, expected_image(earlier_content(), sample)), "");
    EXPECT_EQ(file_name_box(), " " + path) << "the path goes after the blank the reset left";
    EXPECT_EQ(std::string(datei_pfad), path);
  });
  expect_file_errors(sample.result == ParseResult::Faulty ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Samples, LoadingSamples, ::testing::ValuesIn(sample_files()),
                         [](const auto& info) { return test_name(info.param); });

struct FinalProgress {
  const char* name;
  const char* file;
  int memory_size;
  int value;
};

void PrintTo(const FinalProgress& c, std::ostream* out) { *out << c.name; }

class LoadProgressValue : public FirmwareLoad, public ::testing::WithParamInterface<FinalProgress> {};

TEST_P(LoadProgressValue, EndsAtCharactersPlusOnePlusTwentyPerEarlierRowDividedByMemorySize) {
  const FinalProgress& c = GetParam();
  run_program([&] {
    connected(c.memory_size);
    load(sample_path(c.file));
    EXPECT_EQ(value_of(PANEL_LOAD_PROGRESS), c.value);
  });
}

// Both files have 144 characters in four lines; the faulty one stops at its second row.
INSTANTIATE_TEST_SUITE_P(Cases, LoadProgressValue,
                         ::testing::Values(FinalProgress{"GoodFileMemorySize1", "good-16-byte-records.frm", 1, 205},
                                           FinalProgress{"GoodFileMemorySize2", "good-16-byte-records.frm", 2, 102},
                                           FinalProgress{"FaultyFileMemorySize1", "bad-checksum.frm", 1, 165},
                                           FinalProgress{"FaultyFileMemorySize2", "bad-checksum.frm", 2, 82}),
                         [](const auto& info) { return std::string(info.param.name); });

constexpr std::uintmax_t kFileSizeLimit = 16 * 1024 * 1024;

// Ends the whole run when the watched load has not returned after a generous
// time: a load that blocks or never ends would otherwise hang the suite.
class Watchdog {
public:
  ~Watchdog() {
    returned_.set_value();
    thread_.join();
  }

private:
  std::promise<void> returned_;
  std::thread thread_{[returned = returned_.get_future()] {
    if (returned.wait_for(std::chrono::seconds(10)) == std::future_status::ready) return;
    std::fputs("the load did not return within 10 s\n", stderr);
    std::abort();
  }};
};

// A file of `size` bytes that begins with `head`; the rest is a hole, so no disk is used.
void make_sparse_file(const std::string& path, const std::string& head, std::uintmax_t size) {
  std::ofstream(path, std::ios::binary) << head;
  std::filesystem::resize_file(path, size);
}

void make_nothing(const std::string&) {}
void make_directory(const std::string& path) { ASSERT_TRUE(std::filesystem::create_directory(path)); }
// Would load, if it were read: its first line is the end-of-file record.
void make_file_over_size_limit(const std::string& path) { make_sparse_file(path, ":00000001FF\n", kFileSizeLimit + 1); }
#ifndef _WIN32
void make_fifo(const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }
void make_link_to_dev_zero(const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); }
#endif

struct UnusableChoice {
  const char* name;
  std::string file_name;
  void (*make)(const std::string& path);
  bool fits_a_path_buffer;
};

void PrintTo(const UnusableChoice& c, std::ostream* out) { *out << c.name; }

class UnusableFile : public FirmwareLoad, public ::testing::WithParamInterface<UnusableChoice> {};

TEST_P(UnusableFile, IsAFileErrorThatLeavesTheImageAlone) {
  const UnusableChoice& c = GetParam();
  ports_.add("COM3");
  const std::string chosen = path_in_folder(c.file_name.c_str());
  ASSERT_NO_FATAL_FAILURE(c.make(chosen));
  const std::string stored = c.fits_a_path_buffer ? chosen : "";
  run_program([&] {
    connected(1);
    std::ranges::copy(earlier_content(), data_flash.begin());
    {
      Watchdog watchdog;
      load(chosen);
    }
    EXPECT_TRUE(dimmed(PANEL_PROGRAM));
    EXPECT_EQ(image_difference(data_flash, earlier_content()), "") << "not even pre-set";
    EXPECT_EQ(value_of(PANEL_LOAD_PROGRESS), 0);
    EXPECT_EQ(std::string(datei_pfad), stored);
    EXPECT_EQ(file_name_box(), " " + stored);
  });
  expect_file_errors(1);
  EXPECT_EQ(read_settings_file(), "3\n" + stored + "\n0\n");
}

std::vector<UnusableChoice> unusable_choices() {
  std::vector<UnusableChoice> choices = {
      {"Missing", "missing.frm", make_nothing, true},
      {"Directory", "folder.frm", make_directory, true},
      {"PathTheRunTimeCannotHold", std::string(1100, 'p') + ".frm", make_nothing, false},
      {"LargerThan16MiB", "huge.frm", make_file_over_size_limit, true},
  };
#ifndef _WIN32
  // Opening a FIFO waits for a writer; a device never ends.
  choices.push_back({"Fifo", "fifo.frm", make_fifo, true});
  choices.push_back({"LinkToDevZero", "zero.frm", make_link_to_dev_zero, true});
#endif
  return choices;
}

INSTANTIATE_TEST_SUITE_P(Cases, UnusableFile, ::testing::ValuesIn(unusable_choices()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FirmwareLoad, FileOfExactly16MiBLoads) {
  // Reading stops after the rows' 2400 line feeds, long before the hole.
  const std::string path = path_in_folder("at-limit.frm");
  make_sparse_file(path, ":00000001FF\n" + std::string(kHexRows, '\n'), kFileSizeLimit);
  run_program([&] {
    connected(1);
    load(path);
    EXPECT_FALSE(dimmed(PANEL_PROGRAM));
  });
  expect_file_errors(0);
}

#ifndef _WIN32
TEST_F(FirmwareLoad, LinkToAGoodFileLoads) {
  const std::string link = path_in_folder("link.frm");
  std::filesystem::create_symlink(sample_path("good-16-byte-records.frm"), link);
  run_program([&] {
    connected(1);
    load(link);
    EXPECT_FALSE(dimmed(PANEL_PROGRAM));
  });
  expect_file_errors(0);
}
#endif

TEST_F(FirmwareLoad, FaultyChoiceIsStoredAndStartsTheNextDialog) {
  ports_.add("COM3");
  write_settings_file("3\n/fw/earlier.frm\n1\n");
  const std::string faulty = sample_path("bad-checksum.frm");
  run_program([&] {
    connected(1);
    load(faulty);
    EXPECT_EQ(read_settings_file(), "3\n" + faulty + "\n1\n");
    cancel_load();
  });
  ASSERT_EQ(dialogs_.file_requests().size(), 2u);
  const auto& first = dialogs_.file_requests()[0];
  EXPECT_EQ(first.default_directory, "/fw/earlier.frm");
  EXPECT_EQ(first.default_file_spec, "*.frm");
  EXPECT_EQ(first.file_type_list, "*.frm");
  EXPECT_EQ(first.title, "Firmware KovoRecv");
  EXPECT_EQ(first.button_label, VAL_LOAD_BUTTON);
  EXPECT_EQ(first.restrict_directory, 0);
  EXPECT_EQ(first.restrict_extension, 1);
  EXPECT_EQ(first.allow_cancel, 1);
  EXPECT_EQ(first.allow_make_directory, 0);
  EXPECT_EQ(dialogs_.file_requests()[1].default_directory, faulty);
  ASSERT_EQ(dialogs_.messages().size(), 1u);
  EXPECT_EQ(dialogs_.messages()[0].title, "File error");
  EXPECT_EQ(dialogs_.messages()[0].text, "File faulty!");
}

TEST_F(FirmwareLoad, CancelAfterAGoodLoadResetsThePanelAndKeepsTheImage) {
  const std::string good = sample_path("good-16-byte-records.frm");
  run_program([&] {
    connected(1);
    load(good);
    ASSERT_FALSE(dimmed(PANEL_PROGRAM));
    const auto loaded = data_flash;
    SetCtrlVal(MAIN_P, PANEL_FLASH_PROGRESS, 300);
    SetCtrlVal(MAIN_P, PANEL_PARAM_PROGRESS, 200);
    ASSERT_NE(value_of(PANEL_LOAD_PROGRESS), 0);

    cancel_load();

    EXPECT_TRUE(dimmed(PANEL_PROGRAM));
    EXPECT_EQ(file_name_box(), " ");
    for (int indicator : {PANEL_FLASH_PROGRESS, PANEL_LOAD_PROGRESS, PANEL_PARAM_PROGRESS}) {
      EXPECT_EQ(value_of(indicator), 0) << "indicator " << indicator;
    }
    EXPECT_EQ(image_difference(data_flash, loaded), "");
    EXPECT_EQ(std::string(datei_pfad), good);
  });
  expect_file_errors(0);
}

TEST_F(FirmwareLoad, FaultyLoadAfterAGoodOneDimsProgrammingAndReadsNothingLeftOver) {
  const std::string whole = write_file("whole.frm", ":00000001FF\n");
  const std::string cut = write_file("cut.frm", ":00000001\n"); // checksum digits missing
  run_program([&] {
    connected(1);
    load(whole);
    EXPECT_FALSE(dimmed(PANEL_PROGRAM));
    load(cut);
    EXPECT_TRUE(dimmed(PANEL_PROGRAM));
  });
  expect_file_errors(1);
}

TEST_F(FirmwareLoad, EachFaultyLoadShowsOneMessage) {
  const std::string faulty = sample_path("line-without-colon.frm");
  run_program([&] {
    connected(1);
    load(faulty);
    load(faulty);
  });
  expect_file_errors(2);
}

TEST_F(FirmwareLoad, EventsOtherThanCommitDoNothing) {
  run_program([&] {
    connected(1);
    SetCtrlVal(MAIN_P, PANEL_LOAD_PROGRESS, 5);
    // Called directly: the run-time never passes a button anything but a commit.
    EXPECT_EQ(LOAD_CRYPT_FILE(MAIN_P, PANEL_LOAD_FILE, EVENT_TIMER_TICK, nullptr, 0, 0), 0);
    EXPECT_EQ(value_of(PANEL_LOAD_PROGRESS), 5);
  });
  EXPECT_TRUE(dialogs_.file_requests().empty());
}

std::filesystem::path utf8_path(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

// Users are named Jiří, Олена or 王芳: their folders must work like any other.
TEST_F(FirmwareLoad, NamesOutsideWindows1252AreChosenShownLoadedAndRemembered) {
  const std::string path = path_in_folder("Příliš žluťoučký/Користувач/固件 \U0001F680/прошивка ř.frm");
  std::filesystem::create_directories(utf8_path(path).parent_path());
  std::filesystem::copy_file(utf8_path(sample_path("good-16-byte-records.frm")), utf8_path(path));
  run_program([&] {
    connected(1);
    load(path);
    EXPECT_FALSE(dimmed(PANEL_PROGRAM)) << "the file loaded";
    EXPECT_EQ(file_name_box(), " " + path) << "shown as it is named";
  });
  expect_file_errors(0);
  EXPECT_EQ(read_settings_file(), "0\n" + path + "\n0\n");

  datei_pfad[0] = '\0';
  run_program([&] {
    EXPECT_EQ(std::string(datei_pfad), path) << "restored on the next start";
    connected(1);
    cancel_load();
  });
  ASSERT_EQ(dialogs_.file_requests().size(), 2u);
  EXPECT_EQ(dialogs_.file_requests().back().default_directory, path) << "the next dialog starts there";
}

} // namespace
} // namespace kovo::testing
