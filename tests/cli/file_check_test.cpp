// --check: a firmware file examined as Load reads it, with no port and no
// device. The CRC-32 figures were computed apart from the program (Python's
// zlib.crc32 over the same images).
#include "cli_fixture.h"

#include <QFile>

namespace kovo::cli_testing {
namespace {

Bytes repeated(std::uint8_t byte, std::size_t count) { return Bytes(count, byte); }

Bytes stepping(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 3 + 1);
  return bytes;
}

// :01 0000 00 11, checksum EE; EF is wrong.
const std::string kBadChecksum = ":0100000011EF\n:00000001FF\n";

struct CheckCase {
  const char* name;
  std::string content;
  int exit_code;
  const char* out;
  const char* warning = nullptr; // on standard error, though the file loads
};

// The file as a download cut short at its last line feed leaves it.
std::string without_end_record(const std::string& text) { return text.substr(0, text.rfind(":00000001FF")); }

class FileCheckTest : public CliTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(FileCheckTest, TellsWhatTheFileWouldPutOnADevice) {
  const CheckCase& check = GetParam();
  const QString file = write_file(QStringLiteral("firmware.frm"), check.content);
  const CliRun result = run({QStringLiteral("--check"), file});
  EXPECT_EQ(result.exit_code, check.exit_code) << result.err.toStdString();
  EXPECT_EQ(result.out, QString::fromUtf8(check.out));
  if (check.warning)
    EXPECT_EQ(result.err, QString::fromUtf8(check.warning));
  else
    EXPECT_EQ(result.err.isEmpty(), check.exit_code == kExitSuccess) << result.err.toStdString();
  EXPECT_FALSE(QFile::exists(settings_file())) << "no settings without a port";
}

INSTANTIATE_TEST_SUITE_P(
    Cli, FileCheckTest,
    ::testing::Values(
        CheckCase{"fits_both", intel_hex({{0x0000, stepping(256)}, {0x3F00, repeated(0xA5, 16)}}), kExitSuccess,
                  "Loads: yes\n"
                  "Highest address with data: 0x3F0F\n"
                  "Bytes with data: 272\n"
                  "Fits a 16 KiB device: yes\n"
                  "CRC-32 of the 16 KiB image: 0x31047641\n"
                  "Fits a 32 KiB device: yes\n"
                  "CRC-32 of the 32 KiB image: 0x48BE4CBD\n"},
        CheckCase{"fits_32_kib_only", intel_hex({{0x0000, repeated(0x42, 16)}, {0x4000, repeated(0x24, 16)}}),
                  kExitSuccess,
                  "Loads: yes\n"
                  "Highest address with data: 0x400F\n"
                  "Bytes with data: 32\n"
                  "Fits a 16 KiB device: no\n"
                  "CRC-32 of the 16 KiB image: 0x563F8418\n"
                  "Fits a 32 KiB device: yes\n"
                  "CRC-32 of the 32 KiB image: 0x9B81181B\n"},
        CheckCase{"too_large", intel_hex({{0x0000, repeated(0x42, 16)}, {0x8000, repeated(0x24, 16)}}), kExitSuccess,
                  "Loads: yes\n"
                  "Highest address with data: 0x800F\n"
                  "Bytes with data: 32\n"
                  "Fits a 16 KiB device: no\n"
                  "CRC-32 of the 16 KiB image: 0x563F8418\n"
                  "Fits a 32 KiB device: no\n"
                  "CRC-32 of the 32 KiB image: 0x3392546A\n"},
        CheckCase{"no_end_record", without_end_record(intel_hex({{0x0000, repeated(0x42, 16)}})), kExitSuccess,
                  "Loads: yes\n"
                  "Highest address with data: 0x000F\n"
                  "Bytes with data: 16\n"
                  "Fits a 16 KiB device: yes\n"
                  "CRC-32 of the 16 KiB image: 0x563F8418\n"
                  "Fits a 32 KiB device: yes\n"
                  "CRC-32 of the 32 KiB image: 0x3392546A\n",
                  "Warning: the file ends without an end-of-file record (:00000001FF); it may be cut "
                  "short.\n"},
        CheckCase{"cut_in_a_record", ":100000000123456789AB", kExitFile, "Loads: no\n"},
        CheckCase{"bad_checksum", kBadChecksum, kExitFile, "Loads: no\n"},
        CheckCase{"no_record", "\n", kExitFile, "Loads: no\n"}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

// The file and --lang in any order.
class CheckArgumentOrder : public CliTest, public ::testing::WithParamInterface<QStringList> {};

TEST_P(CheckArgumentOrder, IsTheSame) {
  const QString file = write_file(QStringLiteral("firmware.frm"), intel_hex({{0x0000, repeated(0x42, 16)}}));
  QStringList arguments = GetParam();
  arguments.replaceInStrings(QStringLiteral("FILE"), file);
  const CliRun result = run(arguments);
  EXPECT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  EXPECT_TRUE(result.out.startsWith(QStringLiteral("L\u00e4dt: ja\n"))) << result.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cli, CheckArgumentOrder,
                         ::testing::Values(QStringList{"--check", "FILE", "--lang", "de"},
                                           QStringList{"--check", "--lang", "de", "FILE"},
                                           QStringList{"--lang", "de", "FILE", "--check"}));

struct JsonCheck {
  const char* name;
  std::string content;
  int exit_code;
  const char* json; // %1: the file
};

class JsonCheckTest : public CliTest, public ::testing::WithParamInterface<JsonCheck> {};

TEST_P(JsonCheckTest, PrintsOneObject) {
  const JsonCheck& check = GetParam();
  const QString file = write_file(QStringLiteral("firmware.frm"), check.content);
  const CliRun result = run({QStringLiteral("--json"), QStringLiteral("--check"), file});
  EXPECT_EQ(result.exit_code, check.exit_code) << result.err.toStdString();
  const QString file_in_json = QString(file).replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  EXPECT_EQ(result.out.toStdString(),
            (QString::fromUtf8(check.json).arg(file_in_json) + QLatin1Char('\n')).toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Cli, JsonCheckTest,
    ::testing::Values(
        JsonCheck{"fits_32_kib_only", intel_hex({{0x0000, repeated(0x42, 16)}, {0x4000, repeated(0x24, 16)}}),
                  kExitSuccess,
                  R"({"bytes_with_data":32,"crc32_16_kib":"0x563F8418","crc32_32_kib":"0x9B81181B","end_record":true,)"
                  R"("file":"%1","fits_16_kib":false,"fits_32_kib":true,"highest_address":16399,"loads":true})"},
        JsonCheck{"no_data_record", ":00000001FF\n", kExitSuccess,
                  R"({"bytes_with_data":0,"crc32_16_kib":"0x690B37D3","crc32_32_kib":"0x1B43EABD","end_record":true,)"
                  R"("file":"%1","fits_16_kib":true,"fits_32_kib":true,"highest_address":null,"loads":true})"},
        JsonCheck{"bad_checksum", kBadChecksum, kExitFile,
                  R"({"file":"%1","loads":false,"message":"The firmware file is faulty."})"}),
    [](const ::testing::TestParamInfo<JsonCheck>& info) { return std::string(info.param.name); });

TEST_F(CliTest, CheckOfAMissingFileSaysItCannotBeRead) {
  const CliRun result = run({QStringLiteral("--check"), QStringLiteral("missing.frm")});
  EXPECT_EQ(result.exit_code, kExitFile);
  EXPECT_EQ(result.err, QStringLiteral("The firmware file missing.frm cannot be read.\n"));
}

} // namespace
} // namespace kovo::cli_testing
