#include "checked_firmware.h"

#include "files.h"
#include "flash.h"
#include "flash_load.h"
#include "qt_text.h"
#include "utility.h"

#include <cstdio>

namespace cli {
namespace {

// Every type this version updates receives at least the first 16 KiB.
constexpr std::size_t kReceivedByEveryDevice = kovo::kProgrammedBytesPerSize;
constexpr std::size_t kBytesPerKiB = 1024;

// The file as it is now, read as Load reads it.
std::optional<rt::SharedFileCopy> copy_of(const std::string& file) {
  std::FILE* opened = OpenRegularFile(file.c_str(), kovo::kMaxFirmwareFileBytes);
  if (!opened) return std::nullopt;
  auto copy = rt::SharedFileCopy::of(opened, kovo::kMaxFirmwareFileBytes);
  std::fclose(opened);
  return copy;
}

} // namespace

std::string CheckedFirmware::loaded() const { return copy ? rt::to_system_text(copy->path()) : file; }

std::optional<std::string> readable_firmware_path(const std::string& argument) {
  const auto file = rt::readable_file(argument);
  if (!file || file->size() >= MAX_PATHNAME_LEN) return std::nullopt;
  return file;
}

std::variant<CheckedFirmware, FirmwareRefusal> check_firmware(const std::string& argument, bool force,
                                                              const Texts& texts) {
  const FirmwareRefusal unreadable{ExitStatus::File,
                                   QString::fromUtf8(texts.file_unreadable).arg(rt::from_system_text(argument))};
  const auto file = readable_firmware_path(argument);
  if (!file) return unreadable;
  CheckedFirmware firmware{*file, copy_of(*file), nullptr};
  if (!firmware.copy && rt::SharedFileCopy::possible) return unreadable;
  firmware.image = firmware_image(firmware.loaded());
  if (!firmware.image) return FirmwareRefusal{ExitStatus::File, QString::fromUtf8(texts.file_faulty)};
  if (!force && !any_written(firmware.image->written, 0, kReceivedByEveryDevice)) {
    const QString kib = QString::number(kReceivedByEveryDevice / kBytesPerKiB);
    return FirmwareRefusal{ExitStatus::File, QString::fromUtf8(texts.no_data_refused).arg(kib)};
  }
  return firmware;
}

} // namespace cli
