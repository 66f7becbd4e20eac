// The file parser on its own: rows, image and progress, with no window.
#include "guarded_buffers.h"
#include "sample_files.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include <numeric>

namespace kovo::testing {
namespace {

class RecordedProgress final : public LoadProgress {
public:
  using LoadProgress::LoadProgress;
  std::vector<unsigned> values;

private:
  void show(unsigned value) override { values.push_back(value); }
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File text_file(const std::string& text) {
  File file(std::tmpfile());
  std::fwrite(text.data(), 1, text.size(), file.get());
  std::rewind(file.get());
  return file;
}

// Reads, pre-sets and parses, in the order a load through the panel does.
ParseResult load(std::FILE* file, GuardedLoadBuffers& buffers, LoadProgress& progress, int memory_size) {
  const HexText text = read_hex_text(file, buffers.rows(), progress);
  EXPECT_FALSE(std::ferror(file));
  preset_image(buffers.image(), memory_size);
  return parse_hex_rows(buffers.rows(), text, buffers.image(), progress);
}

class ParsingSamples : public ::testing::TestWithParam<SampleFile> {};

TEST_P(ParsingSamples, GivesTheResultAndImageAndStaysInsideTheBuffers) {
  const SampleFile& sample = GetParam();
  auto buffers = std::make_unique<GuardedLoadBuffers>();
  // Rows full of digits from an earlier load: a short line must not read them.
  for (auto& row : buffers->rows()) std::ranges::fill(row, 'F');
  const Image before = earlier_content();
  std::ranges::copy(before, buffers->image().begin());
  File file(std::fopen(sample_path(sample.file).c_str(), "r"));
  ASSERT_TRUE(file);
  RecordedProgress progress(sample.memory_size);

  EXPECT_EQ(load(file.get(), *buffers, progress, sample.memory_size), sample.result);

  EXPECT_EQ(image_difference(buffers->image(), expected_image(before, sample)), "");
  EXPECT_TRUE(buffers->guards_intact());
}

INSTANTIATE_TEST_SUITE_P(Samples, ParsingSamples, ::testing::ValuesIn(sample_files()),
                         [](const auto& info) { return test_name(info.param); });

struct RecordCase {
  const char* name;
  std::string record;
  ParseResult result;
};

void PrintTo(const RecordCase& c, std::ostream* out) { *out << c.name; }

class Records : public ::testing::TestWithParam<RecordCase> {};

TEST_P(Records, FailTheFileUnlessTheirFormHolds) {
  const RecordCase& c = GetParam();
  auto buffers = std::make_unique<GuardedLoadBuffers>();
  RecordedProgress progress(1);
  EXPECT_EQ(load(text_file(c.record + "\n:00000001FF\n").get(), *buffers, progress, 1), c.result);
}

// :01010000F00E is a valid record: count 01, address 0100, type 00, data F0,
// checksum 0E. Most faulty cases put a character that is no digit where it
// has a 0, so the digit conversion alone would read the valid record.
INSTANTIATE_TEST_SUITE_P(
    Cases, Records,
    ::testing::Values(RecordCase{"UpperCaseDigits", ":01010000F00E", ParseResult::Loaded},
                      RecordCase{"CarriageReturnAfterChecksum", ":01010000F00E\r", ParseResult::Loaded},
                      RecordCase{"TextAfterChecksum", ":01010000F00Eg trailing text", ParseResult::Loaded},
                      RecordCase{"BlankInByteCount", ": 1010000F00E", ParseResult::Faulty},
                      RecordCase{"BlankInAddress", ":01 10000F00E", ParseResult::Faulty},
                      RecordCase{"LetterGInAddress", ":0101G000F00E", ParseResult::Faulty},
                      RecordCase{"LowerCaseLetterOInType", ":010100o0F00E", ParseResult::Faulty},
                      RecordCase{"TabInData", ":01010000F\t0E", ParseResult::Faulty},
                      RecordCase{"LowerCaseData", ":01010000f00E", ParseResult::Faulty},
                      RecordCase{"LowerCaseChecksum", ":01010000F00e", ParseResult::Faulty},
                      RecordCase{"LowerCaseRecordThatPassesItsChecksum", ":10000000edb6adedd578bfeef5fd0360aa6233ab7a",
                                 ParseResult::Faulty},
                      RecordCase{"NulOfARowCutBeforeItsChecksum", ":01000000FF", ParseResult::Faulty},
                      RecordCase{"LetterOInEndRecordAddress", ":000O0001FF", ParseResult::Faulty},
                      RecordCase{"BlankInSegmentValue", ":0200000200 0FC", ParseResult::Faulty},
                      RecordCase{"LowerCaseInCountOfSkippedType", ":0g000003", ParseResult::Faulty},
                      RecordCase{"LetterGInTypeOfWhatReadsAsEmptyDataRecord", ":0000000G00", ParseResult::Faulty},
                      RecordCase{"SkippedTypesAreNotReadPastTheirType", ":04000003zz\n:0200000500",
                                 ParseResult::Loaded},
                      RecordCase{"LinearAddressZero", ":020000040000FA", ParseResult::Loaded},
                      RecordCase{"LinearAddressOne", ":020000040001F9", ParseResult::Faulty},
                      RecordCase{"LinearAddressRecordWithAddress", ":020001040000F9", ParseResult::Faulty},
                      RecordCase{"LinearAddressRecordWithFourBytes", ":0400000400000000F8", ParseResult::Faulty},
                      RecordCase{"LinearAddressRecordWithWrongChecksum", ":020000040000FB", ParseResult::Faulty},
                      RecordCase{"LinearAddressZeroInLowerCase", ":020000040000fa", ParseResult::Faulty}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<unsigned> count_up(unsigned first, unsigned last) {
  std::vector<unsigned> values(last - first + 1);
  std::iota(values.begin(), values.end(), first);
  return values;
}

std::vector<unsigned> halved(std::vector<unsigned> values) {
  for (unsigned& value : values) value /= 2;
  return values;
}

std::vector<unsigned> operator+(std::vector<unsigned> head, const std::vector<unsigned>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

struct ProgressCase {
  const char* name;
  std::string text;
  int memory_size;
  std::vector<unsigned> shown; // every value passed to the indicator, in order
};

void PrintTo(const ProgressCase& c, std::ostream* out) { *out << c.name; }

class Progress : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(Progress, StepsOncePerCharacterReadThenTwentyPerRowExamined) {
  const ProgressCase& c = GetParam();
  auto buffers = std::make_unique<GuardedLoadBuffers>();
  RecordedProgress progress(c.memory_size);
  load(text_file(c.text).get(), *buffers, progress, c.memory_size);
  EXPECT_EQ(progress.values, c.shown);
}

// Reading shows 0 … C for C characters (the end-of-file read included); each
// row examined then shows the counter before its 20 steps.
INSTANTIATE_TEST_SUITE_P(
    Cases, Progress,
    ::testing::Values(
        ProgressCase{"EmptyFile", "", 1, {0}},
        ProgressCase{"EndRecordOnly", ":00000001FF\n", 1, count_up(0, 12) + std::vector<unsigned>{13}},
        ProgressCase{"DividedByMemorySize", ":00000001FF\n", 2, halved(count_up(0, 12) + std::vector<unsigned>{13})},
        ProgressCase{"TwoRows", ":0000000000\n:00000001FF\n", 1, count_up(0, 24) + std::vector<unsigned>{25, 45}},
        ProgressCase{"TwoRowsDivided", ":0000000000\n:00000001FF\n", 2,
                     halved(count_up(0, 24) + std::vector<unsigned>{25, 45})},
        ProgressCase{"FaultyRowIsTheLastCounted", "x\n:00000001FF\n", 1, count_up(0, 14) + std::vector<unsigned>{15}},
        ProgressCase{"NothingCountedAfterTheEndRecord", ":00000001FF\nx\n", 1,
                     count_up(0, 14) + std::vector<unsigned>{15}},
        ProgressCase{"LineAfterTheEndRecordIsReadButNotParsed", ":00000001FF\nxyz", 1,
                     count_up(0, 15) + std::vector<unsigned>{16}},
        ProgressCase{"LastLineWithoutLineFeedIsExamined", ":00000001FF", 1,
                     count_up(0, 11) + std::vector<unsigned>{12}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadingHexText, KeepsAtMost2400LinesAndSaysWhenMoreCame) {
  auto buffers = std::make_unique<GuardedLoadBuffers>();
  struct Case {
    std::size_t lines_in_file;
    HexText expected;
  };
  for (const Case c :
       {Case{2399, {2399, false}}, Case{2400, {2400, false}}, Case{2401, {2400, true}}, Case{5000, {2400, true}}}) {
    std::string text;
    for (std::size_t line = 0; line < c.lines_in_file; ++line) text += std::to_string(line) + "\n";
    RecordedProgress progress(1);
    const HexText read = read_hex_text(text_file(text).get(), buffers->rows(), progress);
    EXPECT_EQ(read.lines, c.expected.lines) << c.lines_in_file;
    EXPECT_EQ(read.lines_dropped, c.expected.lines_dropped) << c.lines_in_file;
    EXPECT_STREQ(buffers->rows()[2399], c.lines_in_file >= 2400 ? "2399" : "") << c.lines_in_file;
    EXPECT_TRUE(buffers->guards_intact()) << c.lines_in_file;
  }
}

TEST(ReadingHexText, StopsAtTheFirstCharacterAfterTheLastRowsLineFeed) {
  auto buffers = std::make_unique<GuardedLoadBuffers>();
  const std::string kept_lines = [] {
    std::string text;
    for (std::size_t line = 0; line < kHexRows; ++line) text += ":00000001FF\n";
    return text;
  }();
  // Past the rows, a last line without a line feed is not kept but still
  // says the file went on.
  for (const std::string& rest : {std::string("x"), std::string(100000, '\n')}) {
    File file = text_file(kept_lines + rest);
    RecordedProgress progress(1);
    const HexText read = read_hex_text(file.get(), buffers->rows(), progress);
    EXPECT_EQ(read.lines, kHexRows);
    EXPECT_TRUE(read.lines_dropped);
    EXPECT_EQ(std::ftell(file.get()), static_cast<long>(kept_lines.size() + 1)) << "read on into the rest";
    EXPECT_EQ(progress.values.size(), kept_lines.size() + 1);
  }
}

TEST(ReadingHexText, StoresARowWithoutLineFeedAndCutsItAtFiftyCharacters) {
  auto buffers = std::make_unique<GuardedLoadBuffers>();
  std::ranges::fill(buffers->rows()[0], 'F');
  const std::string long_line(60, '7');
  RecordedProgress progress(1);
  const HexText read = read_hex_text(text_file(":0A\n" + long_line + "\n").get(), buffers->rows(), progress);
  EXPECT_EQ(read.lines, 2u);
  EXPECT_EQ(std::string(buffers->rows()[0], kHexColumns), ":0A" + std::string(kHexColumns - 3, '\0'));
  EXPECT_EQ(std::string(buffers->rows()[1], kHexColumns), std::string(kHexColumns, '7'));
  EXPECT_STREQ(buffers->rows()[2], "");
  EXPECT_TRUE(buffers->guards_intact());
}

} // namespace
} // namespace kovo::testing
