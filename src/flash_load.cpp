#include "flash_load.h"

#include "util_hex_digits.h"

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

constexpr unsigned char kDataRecord = 0x00;            // data bytes at the load address
constexpr unsigned char kEndOfFileRecord = 0x01;       // :00000001FF, ends the parse
constexpr unsigned char kSegmentRecord = 0x02;         // extended segment address, only 0
constexpr unsigned char kLinearAddressRecord = 0x04;   // extended linear address, only 0
constexpr unsigned char kEndOfFileChecksum = 0xFF;     // fixed checksum of :00000001FF
constexpr unsigned char kSegmentChecksum = 0xFC;       // fixed checksum of :020000020000FC
constexpr unsigned char kLinearAddressChecksum = 0xFA; // fixed checksum of :020000040000FA
constexpr std::size_t kExtensionBytes = 2;             // an address extension holds one 16-bit value

using Row = const char (&)[kHexColumns];

enum class RowResult { Next, EndOfFile, Faulty };

// What every record states before its data.
struct RecordHead {
  std::size_t count;
  std::size_t address;
};

using RecordCheck = RowResult (*)(Row row, RecordHead head, FlashImage image);

// Stores the characters of the file a row per line.
class RowWriter {
public:
  explicit RowWriter(HexRows rows) : rows_(rows) { begin_line(); }

  // False, and the character not kept, once every row holds a line: nothing
  // after that is ever examined, so the caller stops reading.
  bool put(char c) {
    if (line_ == kHexRows) {
      more_follows_ = true;
      return false;
    }
    if (c == '\n')
      next_line();
    else if (column_ < kHexColumns)
      rows_[line_][column_++] = c;
    return true;
  }

  HexText text() const { return {line_, more_follows_, column_ > 0}; }

private:
  void next_line() {
    ++line_;
    column_ = 0;
    begin_line();
  }
  // A short line then fails the digit check instead of reading what an earlier line left.
  void begin_line() {
    if (line_ < kHexRows) std::ranges::fill(rows_[line_], '\0');
  }

  HexRows rows_;
  std::size_t line_ = 0;
  std::size_t column_ = 0;
  bool more_follows_ = false;
};

// Digits as the file format writes them: upper case only. The digit
// conversion reads any other character as 0, so a record has to be checked
// first, or a lower-case record could pass its checksum as other bytes.
bool is_hex_digit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

bool hex_digits(Row row, std::size_t first_column, std::size_t end_column) {
  return std::all_of(row + first_column, row + end_column, is_hex_digit);
}

// One past the checksum of a record with `count` data bytes.
std::size_t record_end(std::size_t count) { return kDataColumn + 2 * count + 2; }

unsigned char byte_at(Row row, std::size_t column) { return char2_to_uchar(row[column], row[column + 1]); }

int word_at(Row row, std::size_t column) {
  return char4_to_int(row[column], row[column + 1], row[column + 2], row[column + 3]);
}

// The data bytes go into the image before the checksum is known, so a
// failing record leaves them there.
RowResult place_data(Row row, RecordHead head, FlashImage image) {
  if (head.address + head.count > image.size()) return RowResult::Faulty;
  std::size_t sum = head.count + (head.address >> 8) + (head.address & 0xFF) + kDataRecord;
  for (std::size_t k = 0; k < head.count; ++k) {
    const unsigned char data = byte_at(row, kDataColumn + 2 * k);
    image[head.address + k] = data;
    sum += data;
  }
  sum += byte_at(row, kDataColumn + 2 * head.count);
  return sum % 256 == 0 ? RowResult::Next : RowResult::Faulty;
}

// Only the exact line :00000001FF ends the file.
RowResult check_end_of_file(Row row, RecordHead head, FlashImage) {
  const bool exact = head.count == 0 && head.address == 0 && byte_at(row, kDataColumn) == kEndOfFileChecksum;
  return exact ? RowResult::EndOfFile : RowResult::Faulty;
}

// Only an address extension of 0 is accepted, so all data lie in the first 64 KiB.
bool is_zero_extension(Row row, RecordHead head, unsigned char checksum) {
  return head.count == kExtensionBytes && head.address == 0 && word_at(row, kDataColumn) == 0 &&
         byte_at(row, kDataColumn + 2 * kExtensionBytes) == checksum;
}

RowResult check_segment(Row row, RecordHead head, FlashImage) {
  return is_zero_extension(row, head, kSegmentChecksum) ? RowResult::Next : RowResult::Faulty;
}

RowResult check_linear_address(Row row, RecordHead head, FlashImage) {
  return is_zero_extension(row, head, kLinearAddressChecksum) ? RowResult::Next : RowResult::Faulty;
}

// Null for the record types that are skipped.
RecordCheck check_for(unsigned char type) {
  switch (type) {
  case kDataRecord: return place_data;
  case kEndOfFileRecord: return check_end_of_file;
  case kSegmentRecord: return check_segment;
  case kLinearAddressRecord: return check_linear_address;
  default: return nullptr;
  }
}

// Every record is read up to its type; the types examined, up to their checksum.
RowResult examine_row(Row row, FlashImage image) {
  if (row[0] != ':' || !hex_digits(row, kCountColumn, kDataColumn)) return RowResult::Faulty;
  const RecordCheck check = check_for(byte_at(row, kTypeColumn));
  if (!check) return RowResult::Next;
  const RecordHead head{byte_at(row, kCountColumn), static_cast<std::size_t>(word_at(row, kAddressColumn))};
  if (head.count > kMaxDataBytes || !hex_digits(row, kDataColumn, record_end(head.count))) {
    return RowResult::Faulty;
  }
  return check(row, head, image);
}

RowResult examine_counted(Row row, FlashImage image, LoadProgress& progress) {
  progress.advance(kStepsPerRow);
  return examine_row(row, image);
}

} // namespace

LoadProgress::LoadProgress(int memory_size) : divisor_(memory_size > 0 ? static_cast<unsigned>(memory_size) : 1) {}

void LoadProgress::advance(unsigned steps) {
  show(counter_ / divisor_);
  counter_ += steps;
}

HexText read_hex_text(std::FILE* file, HexRows rows, LoadProgress& progress) {
  RowWriter writer(rows);
  for (;;) {
    const int c = std::getc(file);
    progress.advance(1); // the read that meets the end counts too
    if (c == EOF || !writer.put(static_cast<char>(c))) return writer.text();
  }
}

void preset_image(FlashImage image, int memory_size) {
  const auto units =
      static_cast<std::size_t>(std::clamp(memory_size, 0, static_cast<int>(kFlashImageSize / kPresetUnit)));
  std::fill_n(image.begin(), units * kPresetUnit, 0xFF);
}

ParseResult parse_hex_rows(HexRows rows, const HexText& text, FlashImage image, LoadProgress& progress) {
  for (std::size_t row = 0; row < text.lines; ++row) {
    switch (examine_counted(rows[row], image, progress)) {
    case RowResult::Faulty: return ParseResult::Faulty;
    case RowResult::EndOfFile: return ParseResult::Loaded;
    case RowResult::Next: break;
    }
  }
  // A download cut short ends in a line without its line feed; only the
  // end-of-file record may stand there, since nothing follows it anyway.
  if (text.unterminated_line) {
    const bool ends_the_file = examine_counted(rows[text.lines], image, progress) == RowResult::EndOfFile;
    return ends_the_file ? ParseResult::Loaded : ParseResult::Faulty;
  }
  if (text.lines == 0) return ParseResult::NothingParsed;
  // Rows ran out before the end of the file: the rest of it was never seen.
  return text.lines_dropped ? ParseResult::Faulty : ParseResult::LoadedWithoutEndRecord;
}

} // namespace kovo
