// Reading a firmware file into rows of text and parsing the rows into the
// flash image. It calls no run-time operation, so it builds and runs with no
// window, no port and no Qt; LOAD_CRYPT_FILE (flash_load_panel.cpp) is the
// panel part on top of it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <span>

namespace kovo {

constexpr std::size_t kFlashImageSize = 65536;
constexpr std::size_t kHexRows = 2400;
constexpr std::size_t kHexColumns = 50;
// Far beyond any firmware file (2400 rows are read at most); a larger one is not read through.
constexpr long long kMaxFirmwareFileBytes = 16LL * 1024 * 1024;

using HexRows = std::span<char[kHexColumns], kHexRows>;
using FlashImage = std::span<unsigned char, kFlashImageSize>;

// The load's progress counter. Every step shows the counter divided by the
// memory size first and then moves the counter on; where the value goes is
// up to the subclass.
class LoadProgress {
public:
  explicit LoadProgress(int memory_size);
  LoadProgress(const LoadProgress&) = delete;
  LoadProgress& operator=(const LoadProgress&) = delete;

  void advance(unsigned steps);

protected:
  ~LoadProgress() = default;

private:
  virtual void show(unsigned value) = 0;

  unsigned counter_ = 0;
  unsigned divisor_;
};

// What reading left in the rows.
struct HexText {
  std::size_t lines = 0;          // lines ended by a line feed and kept, at most kHexRows
  bool lines_dropped = false;     // the file went on after the last row's line feed
  bool unterminated_line = false; // the file ended in a line without a line feed, kept in row `lines`
};

// Reads the file a row per line, without the line feed, to its end or to the
// first character after the last row's line feed (the rest is never
// examined, so it is not read). A last line without a line feed goes into
// the row after the others. Each row is cleared before its line goes in;
// characters past the row's end are not kept. One progress step per read
// attempt, the one that meets the end of the file included.
HexText read_hex_text(std::FILE* file, HexRows rows, LoadProgress& progress);

// Sets the first memory_size × 32 KiB of the image to 0xFF, and no more than the image.
void preset_image(FlashImage image, int memory_size);

enum class ParseResult {
  Loaded,                 // an end-of-file record met, every row before it without a fault
  LoadedWithoutEndRecord, // every row examined without a fault, but no end-of-file record: maybe cut short
  Faulty,                 // a row failed its checks; no later row was examined
  NothingParsed           // the file held no character
};

// Whether the image may be programmed.
constexpr bool loaded(ParseResult result) {
  return result == ParseResult::Loaded || result == ParseResult::LoadedWithoutEndRecord;
}

// Examines the rows that reading kept, in order, placing data records in the
// image; 20 progress steps per row, taken before the row is examined. A last
// line without a line feed is examined too: it must be the end-of-file
// record, or the file was cut short.
ParseResult parse_hex_rows(HexRows rows, const HexText& text, FlashImage image, LoadProgress& progress);

} // namespace kovo
