// Reading and parsing a 2400-line firmware file alone: no window, no
// indicator, no settings file.
#include "firmware_text.h"
#include "flash_load.h"
#include "glob.h"

#include <chrono>
#include <cstdio>

namespace {

class NoDisplay final : public kovo::LoadProgress {
public:
  using LoadProgress::LoadProgress;

private:
  void show(unsigned) override {}
};

} // namespace

int main() {
  using namespace kovo;
  const std::string text = bench::firmware_text(bench::kFileLines);
  std::FILE* file = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), file);
  std::vector<double> times;
  for (int run = 0; run < bench::kRuns; ++run) {
    std::rewind(file);
    const auto start = std::chrono::steady_clock::now();
    NoDisplay progress(bench::kMemorySize);
    const HexText read = read_hex_text(file, data_hex, progress);
    preset_image(data_flash, bench::kMemorySize);
    const ParseResult result = parse_hex_rows(data_hex, read, data_flash, progress);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    if (result != ParseResult::Loaded) {
      std::fprintf(stderr, "bench_load_parse: the file did not load\n");
      return 1;
    }
  }
  std::fclose(file);
  bench::report("bench_load_parse", text.size(), times);
  return 0;
}
