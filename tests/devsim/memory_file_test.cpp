#include "memory_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kovo::devsim::test {
namespace {

Bytes readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(MemoryFileTest, ReplacesFileAndLeavesNoTemporaryBehind) {
  const auto folder = std::filesystem::path(testing::TempDir()) / "devsim_memory_file_test";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const auto path = folder / "memory.bin";

  writeFileAtomically(path.string(), Bytes(100, 0x11));
  writeFileAtomically(path.string(), Bytes{0x01, 0x02});

  EXPECT_EQ(readFile(path), (Bytes{0x01, 0x02}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
  std::filesystem::remove_all(folder);
}

TEST(MemoryFileTest, ReportsUnwritableLocation) {
  EXPECT_THROW(writeFileAtomically("/nonexistent-folder/memory.bin", Bytes{0x01}), std::system_error);
}

} // namespace
} // namespace kovo::devsim::test
