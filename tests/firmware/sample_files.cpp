#include "sample_files.h"

#include <algorithm>
#include <cstdio>

namespace kovo::testing {
namespace {

// The data of the samples' records; tests/data holds them as hex text.
const std::vector<unsigned char> kBytesA = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                            0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
const std::vector<unsigned char> kBytesB = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88,
                                            0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x12, 0x34};
const std::vector<unsigned char> kBytesC = {0xC0, 0xDE, 0x5A, 0xA5, 0x00, 0x01, 0x02, 0x03,
                                            0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5, 0x96, 0x87};
const std::vector<unsigned char> kNineteenBytes = {0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29,
                                                   0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};

constexpr std::size_t kPresetUnit = 32768;

} // namespace

void PrintTo(const SampleFile& sample, std::ostream* out) { *out << test_name(sample); }

std::string test_name(const SampleFile& sample) {
  std::string name = sample.file;
  name.erase(name.find(".frm"));
  std::ranges::replace(name, '-', '_');
  return name + "_memory_size_" + std::to_string(sample.memory_size);
}

std::string sample_path(const char* file) { return std::string(KOVO_SAMPLE_DIR) + "/" + file; }

const std::vector<SampleFile>& sample_files() {
  using enum ParseResult;
  const ImageWrite a{0x0000, kBytesA};
  const ImageWrite b{0x0010, kBytesB};
  static const std::vector<SampleFile> samples = {
      {"good-16-byte-records.frm", 1, Loaded, {a, b, {0x9000, kBytesC}}},
      {"good-16-byte-records.frm", 2, Loaded, {a, b, {0x9000, kBytesC}}},
      // Sizes no identified device has: the pre-set stays within the image.
      {"good-16-byte-records.frm", 0, Loaded, {a, b, {0x9000, kBytesC}}},
      {"good-16-byte-records.frm", 3, Loaded, {a, b, {0x9000, kBytesC}}},
      {"crlf-line-ends.frm", 1, Loaded, {a, b, {0x9000, kBytesC}}},
      // A record with a character that is no digit fails before any of its bytes is placed.
      {"lower-case-digits.frm", 1, Faulty, {}},
      {"lower-case-record-that-passes-its-checksum.frm", 1, Faulty, {}},
      {"count-zero-record.frm", 1, Loaded, {a, b}},
      {"lines-after-end-record.frm", 1, Loaded, {a}},
      {"segment-zero-record.frm", 1, Loaded, {a}},
      {"segment-not-zero.frm", 1, Faulty, {a}},
      {"record-types-03-and-05.frm", 1, Loaded, {a, b}},
      {"linear-address-zero-record.frm", 1, Loaded, {a}},
      {"linear-address-not-zero.frm", 1, Faulty, {a}},
      {"end-record-without-line-feed.frm", 1, Loaded, {a}},
      {"crlf-end-record-without-line-feed.frm", 1, Loaded, {a}},
      {"text-without-line-feed-after-end-record.frm", 1, Loaded, {a}},
      // A last line without a line feed, other than the end-of-file record,
      // is a file cut short; a whole record there is examined all the same.
      {"data-record-without-line-feed.frm", 1, Faulty, {a, b}},
      {"data-record-cut-in-its-data.frm", 1, Faulty, {a}},
      {"end-record-cut-short.frm", 1, Faulty, {a}},
      {"no-line-feed-at-all.frm", 1, Faulty, {a}},
      {"no-end-record.frm", 1, LoadedWithoutEndRecord, {a, b}},
      {"empty.frm", 1, NothingParsed, {}},
      {"same-address-twice.frm", 1, Loaded, {a, {0x0008, kBytesB}}},
      {"bad-checksum.frm", 1, Faulty, {a, b}},
      {"end-record-with-address.frm", 1, Faulty, {a}},
      {"end-record-with-count.frm", 1, Faulty, {a}},
      {"end-record-lower-case.frm", 1, Faulty, {a}},
      {"line-without-colon.frm", 1, Faulty, {a}},
      {"empty-line.frm", 1, Faulty, {a}},
      {"record-cut-short.frm", 1, Faulty, {{0x0020, kBytesC}}},
      {"data-record-longer-than-row.frm", 1, Faulty, {a}},
      {"nineteen-data-bytes.frm", 1, Loaded, {{0x0100, kNineteenBytes}}},
      {"text-after-checksum.frm", 1, Loaded, {a}},
      {"data-past-end-of-image.frm", 1, Faulty, {a}},
      {"data-up-to-end-of-image.frm", 1, Loaded, {{0xFFF0, kBytesB}}},
      {"exactly-2400-lines-without-end-record.frm", 1, LoadedWithoutEndRecord, {a}},
      {"end-record-past-line-2400.frm", 1, Faulty, {a}},
      {"more-than-2400-lines-after-end-record.frm", 1, Loaded, {a}},
  };
  return samples;
}

Image earlier_content() {
  Image image;
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<unsigned char>(i % 251);
  return image;
}

Image expected_image(const Image& before, const SampleFile& sample) {
  Image image = before;
  const auto units = static_cast<std::size_t>(std::clamp(sample.memory_size, 0, 2));
  std::fill_n(image.begin(), units * kPresetUnit, 0xFF);
  for (const ImageWrite& write : sample.writes) {
    std::ranges::copy(write.bytes, image.begin() + static_cast<std::ptrdiff_t>(write.address));
  }
  return image;
}

std::string image_difference(std::span<const unsigned char, kFlashImageSize> actual, const Image& expected) {
  const auto [wrong, _] = std::ranges::mismatch(actual, expected);
  if (wrong == actual.end()) return "";
  char text[80];
  std::snprintf(text, sizeof text, "byte 0x%04zX is 0x%02X, expected 0x%02X",
                static_cast<std::size_t>(wrong - actual.begin()), *wrong,
                expected[static_cast<std::size_t>(wrong - actual.begin())]);
  return text;
}

} // namespace kovo::testing
