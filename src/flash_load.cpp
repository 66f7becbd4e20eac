#include "flash_load.h"

#include "24GHz_prog.h"
#include "flash.h"
#include "userint.h"
#include "util.h"
#include "utility.h"

#include <algorithm>

namespace kovo {
namespace {

constexpr std::size_t kPresetUnit = 32768;
constexpr unsigned kStepsPerRow = 20;

// Record layout: ":" at 0, byte count at 1, load address at 3, type at 7,
// data from 9, then the checksum. A record must fit its row.
constexpr std::size_t kCountColumn = 1;
constexpr std::size_t kAddressColumn = 3;
constexpr std::size_t kTypeColumn = 7;
constexpr std::size_t kDataColumn = 9;
constexpr std::size_t kMaxDataBytes = (kHexColumns - kDataColumn - 2) / 2;
static_assert(kMaxDataBytes == 19);

constexpr unsigned char kDataRecord = 0x00;
constexpr unsigned char kEndOfFileRecord = 0x01;
constexpr unsigned char kSegmentRecord = 0x02;
constexpr unsigned char kEndOfFileChecksum = 0xFF;
constexpr unsigned char kSegmentChecksum = 0xFC;

using Row = const char (&)[kHexColumns];

enum class RowResult { Next, EndOfFile, Faulty };

// Stores the characters of the file a row per line.
class RowWriter {
public:
  explicit RowWriter(HexRows rows) : rows_(rows) { begin_line(); }

  void put(char c) {
    if (c == '\n') return next_line();
    if (line_ < kHexRows && column_ < kHexColumns) rows_[line_][column_] = c;
    ++column_;
  }

  HexText text() const { return {std::min(line_, kHexRows), line_ > kHexRows}; }

private:
  void next_line() {
    ++line_;
    column_ = 0;
    begin_line();
  }
  // A short line then reads as zero digits, not as what an earlier line left.
  void begin_line() {
    if (line_ < kHexRows) std::ranges::fill(rows_[line_], '\0');
  }

  HexRows rows_;
  std::size_t line_ = 0;
  std::size_t column_ = 0;
};

unsigned char byte_at(Row row, std::size_t column) {
  return char2_to_uchar(row[column], row[column + 1]);
}

int word_at(Row row, std::size_t column) {
  return char4_to_int(row[column], row[column + 1], row[column + 2], row[column + 3]);
}

// The data bytes go into the image before the checksum is known, so a
// failing record leaves them there.
RowResult place_data(Row row, std::size_t count, std::size_t address, FlashImage image) {
  if (count > kMaxDataBytes || address + count > image.size()) return RowResult::Faulty;
  std::size_t sum = count + (address >> 8) + (address & 0xFF) + kDataRecord;
  for (std::size_t k = 0; k < count; ++k) {
    const unsigned char data = byte_at(row, kDataColumn + 2 * k);
    image[address + k] = data;
    sum += data;
  }
  sum += byte_at(row, kDataColumn + 2 * count);
  return sum % 256 == 0 ? RowResult::Next : RowResult::Faulty;
}

// Only the exact line :00000001FF ends the file.
RowResult check_end_of_file(Row row, std::size_t count, std::size_t address) {
  const bool exact = count == 0 && address == 0 && byte_at(row, kDataColumn) == kEndOfFileChecksum;
  return exact ? RowResult::EndOfFile : RowResult::Faulty;
}

// Only segment 0 (:020000020000FC) is accepted, so all data lie in the first 64 KiB.
RowResult check_segment(Row row, std::size_t count, std::size_t address) {
  const bool exact = count == 2 && address == 0 && word_at(row, kDataColumn) == 0 &&
                     byte_at(row, kDataColumn + 4) == kSegmentChecksum;
  return exact ? RowResult::Next : RowResult::Faulty;
}

RowResult examine_row(Row row, FlashImage image) {
  if (row[0] != ':') return RowResult::Faulty;
  const std::size_t count = byte_at(row, kCountColumn);
  const auto address = static_cast<std::size_t>(word_at(row, kAddressColumn));
  switch (byte_at(row, kTypeColumn)) {
  case kDataRecord: return place_data(row, count, address, image);
  case kEndOfFileRecord: return check_end_of_file(row, count, address);
  case kSegmentRecord: return check_segment(row, count, address);
  default: return RowResult::Next; // other record types are skipped unexamined
  }
}

} // namespace

LoadProgress::LoadProgress(int memory_size)
    : divisor_(memory_size > 0 ? static_cast<unsigned>(memory_size) : 1) {}

void LoadProgress::advance(unsigned steps) {
  show(counter_ / divisor_);
  counter_ += steps;
}

HexText read_hex_text(std::FILE* file, HexRows rows, LoadProgress& progress) {
  RowWriter writer(rows);
  for (;;) {
    const int c = std::getc(file);
    progress.advance(1); // the read that meets the end counts too
    if (c == EOF) return writer.text();
    writer.put(static_cast<char>(c));
  }
}

void preset_image(FlashImage image, int memory_size) {
  const auto units = static_cast<std::size_t>(
      std::clamp(memory_size, 0, static_cast<int>(kFlashImageSize / kPresetUnit)));
  std::fill_n(image.begin(), units * kPresetUnit, 0xFF);
}

ParseResult parse_hex_rows(HexRows rows, const HexText& text, FlashImage image,
                           LoadProgress& progress) {
  for (std::size_t row = 0; row < text.lines; ++row) {
    progress.advance(kStepsPerRow);
    switch (examine_row(rows[row], image)) {
    case RowResult::Faulty: return ParseResult::Faulty;
    case RowResult::EndOfFile: return ParseResult::Loaded;
    case RowResult::Next: break;
    }
  }
  if (text.lines == 0) return ParseResult::NothingParsed;
  // Rows ran out before the end of the file: the rest of it was never seen.
  return text.lines_dropped ? ParseResult::Faulty : ParseResult::Loaded;
}

namespace {

constexpr char kFirmwareFiles[] = "*.frm";
constexpr char kDialogTitle[] = "Firmware KovoRecv";

class LoadIndicator final : public LoadProgress {
public:
  using LoadProgress::LoadProgress;

private:
  void show(unsigned value) override { SetCtrlVal(MAIN_P, PANEL_LOAD_PROGRESS, static_cast<int>(value)); }
};

void reset_for_load() {
  SetCtrlVal(MAIN_P, PANEL_FLASH_PROGRESS, 0);
  SetCtrlVal(MAIN_P, PANEL_LOAD_PROGRESS, 0);
  SetCtrlVal(MAIN_P, PANEL_PARAM_PROGRESS, 0);
  image_loaded = false;
  offer_programming();
  ResetTextBox(MAIN_P, PANEL_FILENAME, "");
  SetCtrlVal(MAIN_P, PANEL_FILENAME, " ");
}

bool choose_file(char (&path)[MAX_PATHNAME_LEN]) {
  return FileSelectPopup(datei_pfad, kFirmwareFiles, kFirmwareFiles, kDialogTitle, VAL_LOAD_BUTTON,
                         0, 1, 1, 0, path) != VAL_NO_FILE_SELECTED;
}

// Stored before the file is read, so a faulty file is still the next starting point.
void remember_file(const char* path) {
  std::snprintf(datei_pfad, sizeof datei_pfad, "%s", path);
  ini_datei(1);
  SetCtrlVal(MAIN_P, PANEL_FILENAME, path);
}

// A file that cannot be read to its end counts as faulty and leaves the image alone.
ParseResult load_file(std::FILE* file) {
  LoadIndicator indicator(memory_size);
  const HexText text = read_hex_text(file, data_hex, indicator);
  if (std::ferror(file)) return ParseResult::Faulty;
  preset_image(data_flash, memory_size);
  return parse_hex_rows(data_hex, text, data_flash, indicator);
}

ParseResult load_path(const char* path) {
  std::FILE* file = OpenFile(path, "r");
  if (!file) return ParseResult::Faulty;
  const ParseResult result = load_file(file);
  std::fclose(file);
  return result;
}

} // namespace

int LOAD_CRYPT_FILE(int, int, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  reset_for_load();
  char path[MAX_PATHNAME_LEN];
  if (!choose_file(path)) return 0;
  remember_file(path);
  const ParseResult result = load_path(path);
  if (result == ParseResult::Faulty) MessagePopup(text_flash_err_5, text_flash_err_6);
  image_loaded = result == ParseResult::Loaded;
  offer_programming();
  return 0;
}

} // namespace kovo
