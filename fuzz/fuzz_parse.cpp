// Arbitrary bytes as a firmware file's text, loaded with each memory size
// in turn over the same rows and image. Besides the sanitizers' own checks it
// stops when a write lands outside the rows or the image, or when the
// outcome depends on the memory size.
#include "guarded_buffers.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

using kovo::ParseResult;
using kovo::testing::GuardedLoadBuffers;

class SilentProgress final : public kovo::LoadProgress {
public:
  using LoadProgress::LoadProgress;

private:
  void show(unsigned) override {}
};

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz_parse: %s\n", what);
  std::abort();
}

ParseResult load(const std::uint8_t* data, std::size_t size, int memory_size, GuardedLoadBuffers& buffers) {
  std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
  require(file != nullptr, "the input cannot be opened as a file");
  SilentProgress progress(memory_size);
  const kovo::HexText text = kovo::read_hex_text(file, buffers.rows(), progress);
  std::fclose(file);
  require(text.lines <= kovo::kHexRows, "more lines kept than there are rows");
  kovo::preset_image(buffers.image(), memory_size);
  const ParseResult result = kovo::parse_hex_rows(buffers.rows(), text, buffers.image(), progress);
  require((result == ParseResult::NothingParsed) == (text.lines == 0 && !text.unterminated_line),
          "nothing parsed although a line was kept");
  return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto* buffers = new GuardedLoadBuffers; // 190 KB, kept between inputs like the real rows
  std::optional<ParseResult> first;
  // 0 and 3 are sizes no device reports; they must stay inside the image too.
  for (int memory_size = 0; memory_size <= 3; ++memory_size) {
    const ParseResult result = load(data, size, memory_size, *buffers);
    require(buffers->guards_intact(), "a write landed outside the rows or the image");
    require(result == first.value_or(result), "the outcome depends on the memory size");
    first = result;
  }
  return 0;
}
