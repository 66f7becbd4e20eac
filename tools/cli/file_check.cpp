#include "file_check.h"

#include "checked_firmware.h"
#include "crc32.h"
#include "flash.h"
#include "live_output.h"
#include "qt_text.h"
#include "written_addresses.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <optional>
#include <span>
#include <vector>

namespace cli {
namespace {

constexpr std::size_t kBytesPerKiB = 1024;
constexpr int kMemorySizes[] = {1, 2}; // 16 KiB and 32 KiB devices

struct MemoryFit {
  QString kib;
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

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

QString yes_or_no(bool yes, const Texts& texts) { return text(yes ? texts.yes : texts.no); }

QString hex(std::uint64_t value, int digits) {
  return QStringLiteral("0x") + QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

std::optional<std::size_t> highest_address(const WrittenAddresses& written) {
  for (std::size_t address = written.size(); address-- > 0;) {
    if (written[address]) return address;
  }
  return std::nullopt;
}

MemoryFit fit_of(const FirmwareImage& image, int memory_size) {
  const std::size_t programmed = static_cast<std::size_t>(memory_size) * kovo::kProgrammedBytesPerSize;
  return {QString::number(programmed / kBytesPerKiB), !any_written(image.written, programmed, image.written.size()),
          crc32(std::span(image.bytes).first(programmed))};
}

Findings findings_of(const FirmwareImage* image) {
  if (!image) return {};
  Findings findings{true, image->end_record, highest_address(image->written), image->written.count(), {}};
  for (int memory_size : kMemorySizes) findings.memories.push_back(fit_of(*image, memory_size));
  return findings;
}

void write_text(const Findings& findings, const Texts& texts) {
  write_line(stdout, text(texts.check_loads).arg(yes_or_no(findings.loads, texts)));
  if (!findings.loads) return;
  const QString highest = findings.highest ? hex(*findings.highest, 4) : text(texts.none);
  write_line(stdout, text(texts.check_highest).arg(highest));
  write_line(stdout, text(texts.check_bytes).arg(findings.bytes));
  for (const MemoryFit& memory : findings.memories) {
    write_line(stdout, text(texts.check_fits).arg(memory.kib, yes_or_no(memory.fits, texts)));
    write_line(stdout, text(texts.check_crc).arg(memory.kib, hex(memory.crc, 8)));
  }
}

// Keys as the text's lines name them; the address a number, null without data.
void write_json(const QString& file, const Findings& findings, const QString& reason) {
  QJsonObject object{{QLatin1String("file"), file}, {QLatin1String("loads"), findings.loads}};
  if (!findings.loads) object.insert(QLatin1String("message"), reason);
  if (findings.loads) {
    object.insert(QLatin1String("end_record"), findings.end_record);
    object.insert(QLatin1String("highest_address"),
                  findings.highest ? QJsonValue(static_cast<qint64>(*findings.highest)) : QJsonValue());
    object.insert(QLatin1String("bytes_with_data"), static_cast<qint64>(findings.bytes));
    for (const MemoryFit& memory : findings.memories) {
      object.insert(QStringLiteral("fits_%1_kib").arg(memory.kib), memory.fits);
      object.insert(QStringLiteral("crc32_%1_kib").arg(memory.kib), hex(memory.crc, 8));
    }
  }
  const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact);
  std::fprintf(stdout, "%s\n", line.constData());
  std::fflush(stdout);
}

} // namespace

ExitStatus check_file(const std::string& argument, const Texts& texts, bool json) {
  const QString file = rt::from_system_text(argument);
  const auto path = readable_firmware_path(argument);
  const auto image = path ? firmware_image(*path) : nullptr;
  const Findings findings = findings_of(image.get());
  const QString reason = path ? text(texts.file_faulty) : text(texts.file_unreadable).arg(file);
  if (json)
    write_json(file, findings, reason);
  else if (path)
    write_text(findings, texts);
  if (!findings.loads) write_line(stderr, reason);
  if (!findings.end_record) write_line(stderr, text(texts.no_end_record));
  return findings.loads ? ExitStatus::Success : ExitStatus::File;
}

} // namespace cli
