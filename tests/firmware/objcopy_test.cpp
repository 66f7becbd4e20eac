// A file as a common Intel HEX writer produces it (objcopy: 16-byte records,
// upper-case digits, CR LF line ends) loads byte for byte.
#include "load_fixture.h"

#include <QProcess>
#include <random>

namespace kovo::testing {
namespace {

struct WriterCase {
  const char* name;
  int memory_size;
  std::size_t length;
};

void PrintTo(const WriterCase& c, std::ostream* out) { *out << c.name; }

std::vector<unsigned char> random_bytes(std::size_t length) {
  std::mt19937 generator(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<unsigned char> bytes(length);
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(byte(generator));
  return bytes;
}

class ObjcopyOutput : public FirmwareLoad, public ::testing::WithParamInterface<WriterCase> {};

TEST_P(ObjcopyOutput, LoadsItsSourceBytes) {
  const WriterCase& c = GetParam();
  const std::vector<unsigned char> source = random_bytes(c.length);
  const std::string binary = write_file("firmware.bin", std::string(source.begin(), source.end()));
  const std::string hex = path_in_folder("firmware.frm");
  ASSERT_EQ(
      QProcess::execute(QStringLiteral(KOVO_OBJCOPY),
                        {"-I", "binary", "-O", "ihex", QString::fromStdString(binary), QString::fromStdString(hex)}),
      0);
  const SampleFile written{"firmware.frm", c.memory_size, ParseResult::Loaded, {{0, source}}};
  run_program([&] {
    connected(c.memory_size);
    std::ranges::copy(earlier_content(), data_flash.begin());
    load(hex);
    EXPECT_FALSE(dimmed(PANEL_PROGRAM));
    EXPECT_EQ(image_difference(data_flash, expected_image(earlier_content(), written)), "");
  });
  expect_file_errors(0);
}

INSTANTIATE_TEST_SUITE_P(Cases, ObjcopyOutput,
                         ::testing::Values(WriterCase{"FillsThe32KiBOfMemorySize1", 1, 32768},
                                           WriterCase{"ReachesPast32KiBWithMemorySize2", 2, 37000}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kovo::testing
