// Figures of a command-line program as a user meets them: how fast it
// starts (--version, median of many runs), its peak memory and time in a
// 16 KiB update against the simulated device paced like a 38400-baud line,
// its size and shared libraries. With --wine, the same update with the
// Windows program under Wine (WINEPREFIX names a prefix; the port is COM99
// there; keep a wineserver running, as the tests do, or Wine's own start
// counts) and its time against the Linux program's.
//
//   bench_cli PROGRAM [--wine PROGRAM.exe] [--runs N]
#include "devsim_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kImageSize = 16384;
constexpr char kWinePort[] = "COM99";
constexpr char kWinePortDevice[] = "/dosdevices/com99"; // in the prefix

struct Ended {
  int exit_code = -1;
  double seconds = 0;
  long peak_kib = 0; // the largest resident set of the process and its children
};

// Runs arguments with standard output and error thrown away.
Ended run(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot start " + arguments[0]);
  }
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Ended ended;
  ended.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ended.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  ended.peak_kib = usage.ru_maxrss;
  return ended;
}

double median_seconds(const std::vector<std::string>& arguments, int runs) {
  std::vector<double> seconds;
  for (int i = 0; i < runs; ++i) seconds.push_back(run(arguments).seconds);
  std::sort(seconds.begin(), seconds.end());
  return seconds[seconds.size() / 2];
}

// A whole 16 KiB image as Intel HEX, 16-byte records.
std::string firmware_file(const std::string& folder) {
  const std::string path = folder + "/bench.frm";
  std::ofstream file(path);
  for (std::size_t address = 0; address < kImageSize; address += 16) {
    unsigned sum = 16 + (address >> 8) + (address & 0xFF);
    char line[64];
    std::snprintf(line, sizeof line, ":10%04zX00", address);
    file << line;
    for (std::size_t i = 0; i < 16; ++i) {
      const unsigned byte = (address + i * 7) & 0xFF;
      sum += byte;
      std::snprintf(line, sizeof line, "%02X", byte);
      file << line;
    }
    std::snprintf(line, sizeof line, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    file << line;
  }
  file << ":00000001FF\n";
  return path;
}

// The program's shared libraries as ldd lists them.
std::vector<std::string> shared_libraries(const std::string& program) {
  std::vector<std::string> lines;
  FILE* ldd = popen(("ldd '" + program + "' 2>&1").c_str(), "r");
  char line[512];
  while (ldd && std::fgets(line, sizeof line, ldd)) lines.emplace_back(line);
  if (ldd) pclose(ldd);
  return lines;
}

Ended paced_update(const std::vector<std::string>& command, const std::string& port_name, const std::string& file,
                   const std::string& pty_link) {
  kovo::testsupport::DevsimProcess device({"--paced"});
  std::string port = device.ptyPath();
  if (!pty_link.empty()) {
    unlink(pty_link.c_str());
    if (symlink(port.c_str(), pty_link.c_str()) != 0) throw std::runtime_error("cannot link " + pty_link);
    port = port_name;
  }
  std::vector<std::string> arguments = command;
  arguments.insert(arguments.end(), {"--port", port, "--lang", "en", file});
  const Ended ended = run(arguments);
  if (!pty_link.empty()) unlink(pty_link.c_str());
  return ended;
}

std::string option(int argc, char** argv, const std::string& name, const std::string& otherwise) {
  for (int i = 2; i + 1 < argc; ++i) {
    if (argv[i] == name) return argv[i + 1];
  }
  return otherwise;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_cli PROGRAM [--wine PROGRAM.exe] [--runs N]\n");
    return 2;
  }
  const std::string program = argv[1];
  const std::string wine_program = option(argc, argv, "--wine", "");
  const int runs = std::atoi(option(argc, argv, "--runs", "21").c_str());
  char folder_template[] = "/tmp/bench_cli.XXXXXX";
  const std::string folder = mkdtemp(folder_template);
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1); // the user's settings stay as they are
  unsetenv("KOVOFLASH_TIME_SCALE");
  const std::string file = firmware_file(folder);

  std::printf("%s\n", program.c_str());
  const double start_up = median_seconds({program, "--version"}, runs);
  std::printf("  start-up (--version, median of %d): %.1f ms\n", runs, start_up * 1e3);
  const Ended update = paced_update({program}, "", file, "");
  std::printf("  paced 16 KiB update: exit %d, %.2f s, peak memory %ld KiB\n", update.exit_code, update.seconds,
              update.peak_kib);
  struct stat size {};
  stat(program.c_str(), &size);
  std::printf("  size: %lld bytes\n", static_cast<long long>(size.st_size));
  const std::vector<std::string> libraries = shared_libraries(program);
  const bool qt = std::any_of(libraries.begin(), libraries.end(),
                              [](const std::string& line) { return line.find("libQt") != std::string::npos; });
  std::printf("  shared libraries: %zu lines of ldd, Qt %s\n", libraries.size(), qt ? "listed" : "not listed");
  if (wine_program.empty()) return update.exit_code;

  const char* prefix = std::getenv("WINEPREFIX");
  if (!prefix) throw std::runtime_error("--wine needs WINEPREFIX");
  setenv("WINEDEBUG", "-all", 1);
  const std::vector<std::string> wine = {"wine", wine_program};
  std::string windows_file = "Z:" + file;
  std::replace(windows_file.begin(), windows_file.end(), '/', '\\');
  const std::string link = prefix + std::string(kWinePortDevice);
  std::printf("%s under Wine\n", wine_program.c_str());
  const double wine_start_up = median_seconds({"wine", wine_program, "--version"}, runs);
  std::printf("  start-up (wine ... --version, median of %d): %.1f ms\n", runs, wine_start_up * 1e3);
  const Ended under_wine = paced_update(wine, kWinePort, windows_file, link);
  const double ratio = under_wine.seconds / update.seconds;
  const double ratio_after_start = (under_wine.seconds - wine_start_up) / (update.seconds - start_up);
  std::printf(
      "  paced 16 KiB update: exit %d, %.2f s, %.3f times the Linux program's (%+.1f%%); "
      "each start-up taken off: %.3f (%+.1f%%)\n",
      under_wine.exit_code, under_wine.seconds, ratio, (ratio - 1) * 100, ratio_after_start,
      (ratio_after_start - 1) * 100);
  return update.exit_code == 0 && under_wine.exit_code == 0 ? 0 : 1;
}
