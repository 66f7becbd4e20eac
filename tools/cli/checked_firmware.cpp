#include "checked_firmware.h"

#include "files.h"
#include "flash.h"
#include "flash_load.h"
#include "text.h"
#include "utility.h"

namespace cli {
namespace {

// Every type this version updates receives at least the first 16 KiB.
constexpr std::size_t kReceivedByEveryDevice = kovo::kProgrammedBytesPerSize;
constexpr std::size_t kBytesPerKiB = 1024;

} // namespace

std::string CheckedFirmware::loaded() const { return copy ? copy->path() : file; }

std::optional<std::string> readable_firmware_path(const std::string& argument) {
  const auto file = rt::readable_file(argument);
  if (!file || file->size() >= MAX_PATHNAME_LEN) return std::nullopt;
  return file;
}

std::variant<CheckedFirmware, FirmwareRefusal> check_firmware(const std::string& argument, bool force,
                                                              const Texts& texts) {
  const FirmwareRefusal unreadable{ExitStatus::File, format(texts.file_unreadable, {argument})};
  const auto file = readable_firmware_path(argument);
  if (!file) return unreadable;
  CheckedFirmware firmware{*file, rt::SharedFileCopy::of(*file, kovo::kMaxFirmwareFileBytes), nullptr};
  if (!firmware.copy && rt::SharedFileCopy::possible) return unreadable;
  firmware.image = firmware_image(firmware.loaded());
  if (!firmware.image) return FirmwareRefusal{ExitStatus::File, texts.file_faulty};
  if (!force && !any_written(firmware.image->written, 0, kReceivedByEveryDevice)) {
    const std::string kib = std::to_string(kReceivedByEveryDevice / kBytesPerKiB);
    return FirmwareRefusal{ExitStatus::File, format(texts.no_data_refused, {kib})};
  }
  return firmware;
}

} // namespace cli
