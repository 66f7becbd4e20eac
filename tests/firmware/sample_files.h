// The sample firmware files in tests/data and what loading each must give.
#pragma once

#include "flash_load.h"

#include <array>
#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace kovo::testing {

using Image = std::array<unsigned char, kFlashImageSize>;

struct ImageWrite {
  std::size_t address;
  std::vector<unsigned char> bytes;
};

struct SampleFile {
  const char* file;
  int memory_size;
  ParseResult result;
  std::vector<ImageWrite> writes; // in file order, so a later one wins
};

void PrintTo(const SampleFile& sample, std::ostream* out);
std::string test_name(const SampleFile& sample);
std::string sample_path(const char* file);

const std::vector<SampleFile>& sample_files();

// What was in the image before this load: no byte is 0xFF, so neither the
// pre-set nor a stray 0xFF can hide.
Image earlier_content();
// The image after loading the sample over `before`.
Image expected_image(const Image& before, const SampleFile& sample);
// Empty when equal, else where the first difference lies.
std::string image_difference(std::span<const unsigned char, kFlashImageSize> actual, const Image& expected);

} // namespace kovo::testing
