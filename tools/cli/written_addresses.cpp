#include "written_addresses.h"

#include "flash_load.h"
#include "system_text.h"
#include "utility.h"

#include <QDir>
#include <array>
#include <cstdio>
#include <memory>

namespace cli {
namespace {

using Image = std::array<unsigned char, kovo::kFlashImageSize>;

class NoProgress final : public kovo::LoadProgress {
public:
  NoProgress() : LoadProgress(1) {}

private:
  void show(unsigned) override {}
};

} // namespace

std::optional<WrittenAddresses> written_addresses(const QString& path) {
  std::FILE* file = OpenFile(rt::to_system_text(QDir::toNativeSeparators(path)).c_str(), "r");
  if (!file) return std::nullopt;
  const auto rows = std::make_unique<char[][kovo::kHexColumns]>(kovo::kHexRows);
  const kovo::HexRows hex_rows(rows.get(), kovo::kHexRows);
  NoProgress progress;
  const kovo::HexText text = kovo::read_hex_text(file, hex_rows, progress);
  const bool unreadable = std::ferror(file) != 0;
  std::fclose(file);
  if (unreadable) return std::nullopt;
  // A byte that comes out the same over 0x00 and over 0xFF was put there by
  // a data record.
  const auto over_zeros = std::make_unique<Image>();
  const auto over_ones = std::make_unique<Image>();
  over_zeros->fill(0x00);
  over_ones->fill(0xFF);
  if (kovo::parse_hex_rows(hex_rows, text, *over_zeros, progress) != kovo::ParseResult::Loaded ||
      kovo::parse_hex_rows(hex_rows, text, *over_ones, progress) != kovo::ParseResult::Loaded) {
    return std::nullopt;
  }
  WrittenAddresses written;
  for (std::size_t address = 0; address < written.size(); ++address) {
    written[address] = (*over_zeros)[address] == (*over_ones)[address];
  }
  return written;
}

} // namespace cli
