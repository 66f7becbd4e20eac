#include "file_check.h"

#include "crc32.h"
#include "flash.h"
#include "live_output.h"
#include "written_addresses.h"

#include <span>

namespace cli {
namespace {

constexpr std::size_t kBytesPerKiB = 1024;
constexpr int kMemorySizes[] = {1, 2}; // 16 KiB and 32 KiB devices

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

QString yes_or_no(bool yes, const Texts& texts) { return text(yes ? texts.yes : texts.no); }

QString hex(std::uint32_t value, int digits) {
  return QStringLiteral("0x") + QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString highest_address(const WrittenAddresses& written, const Texts& texts) {
  for (std::size_t address = written.size(); address-- > 0;) {
    if (written[address]) return hex(static_cast<std::uint32_t>(address), 4);
  }
  return text(texts.none);
}

void describe_memory_size(const FirmwareImage& image, int memory_size, const Texts& texts) {
  const std::size_t programmed = static_cast<std::size_t>(memory_size) * kovo::kProgrammedBytesPerSize;
  const QString kib = QString::number(programmed / kBytesPerKiB);
  const bool fits = !any_written(image.written, programmed, image.written.size());
  write_line(stdout, text(texts.check_fits).arg(kib, yes_or_no(fits, texts)));
  const std::uint32_t crc = crc32(std::span(image.bytes).first(programmed));
  write_line(stdout, text(texts.check_crc).arg(kib, hex(crc, 8)));
}

} // namespace

ExitStatus check_file(const std::string& path, const Texts& texts) {
  const auto image = firmware_image(path);
  write_line(stdout, text(texts.check_loads).arg(yes_or_no(image != nullptr, texts)));
  if (!image) {
    write_line(stderr, text(texts.file_faulty));
    return ExitStatus::File;
  }
  if (!image->end_record) write_line(stderr, text(texts.no_end_record));
  write_line(stdout, text(texts.check_highest).arg(highest_address(image->written, texts)));
  write_line(stdout, text(texts.check_bytes).arg(image->written.count()));
  for (int memory_size : kMemorySizes) describe_memory_size(*image, memory_size, texts);
  return ExitStatus::Success;
}

} // namespace cli
