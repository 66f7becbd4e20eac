// Runs every file in the folders named on the command line once through the
// fuzz target, without libFuzzer, so a plain build replays the corpus on
// every test run. A failing input stops the run right after its name.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::uint8_t> file_bytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void replay(const std::filesystem::path& path) {
  std::cout << path.string() << std::endl; // flushed: the name stays when the input aborts the run
  const std::vector<std::uint8_t> bytes = file_bytes(path);
  static constexpr std::uint8_t kNoBytes[1] = {};
  // libFuzzer hands an empty input a valid pointer too.
  LLVMFuzzerTestOneInput(bytes.empty() ? kNoBytes : bytes.data(), bytes.size());
}

// A missing folder throws, so a wrong path cannot pass as an empty corpus.
std::size_t replay_folder(const std::filesystem::path& folder) {
  std::size_t inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    replay(entry.path());
    ++inputs;
  }
  return inputs;
}

} // namespace

int main(int argc, char** argv) {
  std::size_t inputs = 0;
  for (int arg = 1; arg < argc; ++arg) inputs += replay_folder(argv[arg]);
  std::cout << "replayed " << inputs << " inputs\n";
  return inputs > 0 ? 0 : 1;
}
