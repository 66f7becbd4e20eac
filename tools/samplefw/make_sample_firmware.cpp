// Writes the project's own sample firmware: a 16 KiB image as Intel HEX, 16
// data bytes a record, upper-case digits, ended by the end-of-file record.
// The bytes are made up here (a text banner, then a fixed pseudo-random
// sequence), so every build produces the same file.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace {

constexpr std::size_t kImageSize = 16384;
constexpr std::size_t kRecordSize = 16;
constexpr char kBanner[] = "KovoFlash sample firmware - not for a real device.";

std::array<std::uint8_t, kImageSize> sample_image() {
  std::array<std::uint8_t, kImageSize> image{};
  std::uint32_t state = 0x4B6F766F; // fixed seed
  for (auto& byte : image) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  std::memcpy(image.data(), kBanner, sizeof kBanner);
  return image;
}

void write_record(std::ostream& out, std::size_t address, const std::uint8_t* data, std::size_t count,
                  std::uint8_t type) {
  std::uint8_t sum = static_cast<std::uint8_t>(count + (address >> 8) + (address & 0xFF) + type);
  char field[16];
  std::snprintf(field, sizeof field, ":%02X%04X%02X", static_cast<unsigned>(count), static_cast<unsigned>(address),
                type);
  out << field;
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(field, sizeof field, "%02X", data[i]);
    out << field;
    sum = static_cast<std::uint8_t>(sum + data[i]);
  }
  std::snprintf(field, sizeof field, "%02X\n", static_cast<std::uint8_t>(-sum));
  out << field;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-sample-firmware OUTPUT.frm\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  const auto image = sample_image();
  for (std::size_t address = 0; address < kImageSize; address += kRecordSize) {
    write_record(out, address, image.data() + address, kRecordSize, 0x00);
  }
  write_record(out, 0, nullptr, 0, 0x01);
  out.close();
  if (!out) {
    std::cerr << "make-sample-firmware: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
