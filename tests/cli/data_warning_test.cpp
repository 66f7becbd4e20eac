// Files whose data the device will not get, wholly or in part: a warning
// before programming, and the update itself as always; a file with no data
// for the device at all only with --force (refused otherwise: update_test).
#include "cli_fixture.h"
#include "devsim_process.h"

namespace kovo::cli_testing {
namespace {

using testsupport::DevsimProcess;

constexpr std::size_t kProgrammedSize = 16384; // what a device of memory size 1 receives
constexpr std::size_t kImageSize = 65536;

const char kBeyond[] =
    "Warning: the file's data from 0x4000 on lies beyond the 16 KiB this device receives and is not programmed.";
const char kBeyondGerman[] =
    "Warnung: Die Daten der Datei ab 0x4000 liegen hinter den 16 KiB, die dieses Ger\u00e4t "
    "erh\u00e4lt, und werden nicht programmiert.";
const char kNoData[] = "Warning: the file holds no data for the 16 KiB this device receives; it is written with FF.";
const char kNoEndRecord[] = "Warning: the file ends without an end-of-file record (:00000001FF); it may be cut short.";
const char kNoEndRecordGerman[] =
    "Warnung: Die Datei endet ohne Dateiende-Satz (:00000001FF); vielleicht ist sie unvollst\u00e4ndig.";

Bytes counting(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i % 251);
  return bytes;
}

struct FileCase {
  const char* name;
  std::vector<Block> blocks;
  const char* language;
  std::vector<const char*> warnings;
  bool end_record = true; // false: the file stops after its last data record
  bool force = false;
};

std::string firmware_text(const FileCase& file) {
  const std::string text = intel_hex(file.blocks);
  return file.end_record ? text : text.substr(0, text.rfind(":00000001FF"));
}

class DataWarningTest : public CliTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(DataWarningTest, WarnsOfWhatTheDeviceMissesAndProgramsAsAlways) {
  const FileCase& file = GetParam();
  DevsimProcess device;
  QStringList arguments = {QStringLiteral("--port"), port_of(device), QStringLiteral("--lang"),
                           QString::fromLatin1(file.language),
                           write_file(QStringLiteral("firmware.frm"), firmware_text(file))};
  if (file.force) arguments << QStringLiteral("--force");
  const CliRun result = run(arguments);
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  for (const char* warning : file.warnings) {
    EXPECT_TRUE(result.err.contains(QString::fromUtf8(warning))) << result.err.toStdString();
  }
  EXPECT_EQ(result.err.count(QStringLiteral("Warn")), static_cast<qsizetype>(file.warnings.size()))
      << result.err.toStdString();
  device.stop();
  const Bytes memory = device.readMemory();
  const Bytes image = image_of(file.blocks, kImageSize);
  ASSERT_GE(memory.size(), kProgrammedSize);
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + kProgrammedSize, memory.begin()));
}

INSTANTIATE_TEST_SUITE_P(
    Cli, DataWarningTest,
    ::testing::Values(
        FileCase{"fits_the_device", {{0x0000, counting(kProgrammedSize)}}, "en", {}},
        FileCase{"twice_the_device", {{0x0000, counting(2 * kProgrammedSize)}}, "en", {kBeyond}},
        FileCase{"twice_the_device_german", {{0x0000, counting(2 * kProgrammedSize)}}, "de", {kBeyondGerman}},
        FileCase{"data_only_at_0x8000_forced", {{0x8000, counting(256)}}, "en", {kBeyond, kNoData}, true, true},
        FileCase{"no_data_record_forced", {}, "en", {kNoData}, true, true},
        FileCase{"no_end_record", {{0x0000, counting(kProgrammedSize)}}, "en", {kNoEndRecord}, false},
        FileCase{"no_end_record_german", {{0x0000, counting(kProgrammedSize)}}, "de", {kNoEndRecordGerman}, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kovo::cli_testing
