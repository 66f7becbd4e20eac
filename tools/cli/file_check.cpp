#include "file_check.h"

#include "checked_firmware.h"
#include "crc32.h"
#include "events.h"
#include "flash.h"
#include "live_output.h"
#include "text.h"
#include "written_addresses.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <vector>

namespace cli {
namespace {

constexpr std::size_t kBytesPerKiB = 1024;
constexpr int kMemorySizes[] = {1, 2}; // 16 KiB and 32 KiB devices

struct MemoryFit {
  std::string kib;
  bool fits = false; // no data at or beyond its end
  std::uint32_t crc = 0;
};

// What the check says of a file; the rest only when it loads.
struct Findings {
  bool loads = false;
  bool end_record = true;
  std::optional<std::size_t> highest; // none: no data record
  std::size_t bytes = 0;
  std::vector<MemoryFit> memories;
};

std::string yes_or_no(bool yes, const Texts& texts) { return yes ? texts.yes : texts.no; }

std::string hex(std::uint64_t value, int digits) { return "0x" + hex_digits(value, digits); }

std::optional<std::size_t> highest_address(const WrittenAddresses& written) {
  for (std::size_t address = written.size(); address-- > 0;) {
    if (written[address]) return address;
  }
  return std::nullopt;
}

MemoryFit fit_of(const FirmwareImage& image, int memory_size) {
  const std::size_t programmed = static_cast<std::size_t>(memory_size) * kovo::kProgrammedBytesPerSize;
  return {std::to_string(programmed / kBytesPerKiB), !any_written(image.written, programmed, image.written.size()),
          crc32(std::span(image.bytes).first(programmed))};
}

Findings findings_of(const FirmwareImage* image) {
  if (!image) return {};
  Findings findings{true, image->end_record, highest_address(image->written), image->written.count(), {}};
  for (int memory_size : kMemorySizes) findings.memories.push_back(fit_of(*image, memory_size));
  return findings;
}

void write_text(const Findings& findings, const Texts& texts) {
  write_line(stdout, format(texts.check_loads, {yes_or_no(findings.loads, texts)}));
  if (!findings.loads) return;
  const std::string highest = findings.highest ? hex(*findings.highest, 4) : texts.none;
  write_line(stdout, format(texts.check_highest, {highest}));
  write_line(stdout, format(texts.check_bytes, {std::to_string(findings.bytes)}));
  for (const MemoryFit& memory : findings.memories) {
    write_line(stdout, format(texts.check_fits, {memory.kib, yes_or_no(memory.fits, texts)}));
    write_line(stdout, format(texts.check_crc, {memory.kib, hex(memory.crc, 8)}));
  }
}

// Keys as the text's lines name them; the address a number, null without data.
void write_json(const std::string& file, const Findings& findings, const std::string& reason) {
  nlohmann::json object = {{"file", file}, {"loads", findings.loads}};
  if (!findings.loads) object["message"] = reason;
  if (findings.loads) {
    object["end_record"] = findings.end_record;
    object["highest_address"] = findings.highest ? nlohmann::json(*findings.highest) : nlohmann::json(nullptr);
    object["bytes_with_data"] = findings.bytes;
    for (const MemoryFit& memory : findings.memories) {
      object["fits_" + memory.kib + "_kib"] = memory.fits;
      object["crc32_" + memory.kib + "_kib"] = hex(memory.crc, 8);
    }
  }
  write_line(stdout, compact_json(object));
}

} // namespace

ExitStatus check_file(const std::string& argument, const Texts& texts, bool json) {
  const std::string& file = argument;
  const auto path = readable_firmware_path(argument);
  const auto image = path ? firmware_image(*path) : nullptr;
  const Findings findings = findings_of(image.get());
  const std::string reason = path ? std::string(texts.file_faulty) : format(texts.file_unreadable, {file});
  if (json)
    write_json(file, findings, reason);
  else if (path)
    write_text(findings, texts);
  if (!findings.loads) write_line(stderr, reason);
  if (!findings.end_record) write_line(stderr, texts.no_end_record);
  return findings.loads ? ExitStatus::Success : ExitStatus::File;
}

} // namespace cli
