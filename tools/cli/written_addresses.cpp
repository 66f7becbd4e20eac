#include "written_addresses.h"

#include "flash_load.h"
#include "utility.h"

#include <cstdio>

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

std::unique_ptr<const FirmwareImage> firmware_image(const std::string& path) {
  std::FILE* file = OpenRegularFile(path.c_str(), kovo::kMaxFirmwareFileBytes);
  if (!file) return nullptr;
  const auto rows = std::make_unique<char[][kovo::kHexColumns]>(kovo::kHexRows);
  const kovo::HexRows hex_rows(rows.get(), kovo::kHexRows);
  NoProgress progress;
  const kovo::HexText text = kovo::read_hex_text(file, hex_rows, progress);
  const bool unreadable = std::ferror(file) != 0;
  std::fclose(file);
  if (unreadable) return nullptr;
  // A byte that comes out the same over 0x00 and over 0xFF was put there by
  // a data record.
  const auto over_zeros = std::make_unique<Image>();
  auto image = std::make_unique<FirmwareImage>();
  over_zeros->fill(0x00);
  image->bytes.fill(0xFF);
  const kovo::ParseResult result = kovo::parse_hex_rows(hex_rows, text, *over_zeros, progress);
  if (!kovo::loaded(result) || !kovo::loaded(kovo::parse_hex_rows(hex_rows, text, image->bytes, progress))) {
    return nullptr;
  }
  image->end_record = result == kovo::ParseResult::Loaded;
  for (std::size_t address = 0; address < image->written.size(); ++address) {
    image->written[address] = (*over_zeros)[address] == image->bytes[address];
  }
  return image;
}

bool any_written(const WrittenAddresses& written, std::size_t from, std::size_t to) {
  for (std::size_t address = from; address < to; ++address) {
    if (written[address]) return true;
  }
  return false;
}

} // namespace cli
