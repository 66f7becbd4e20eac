// Programs a whole image into the simulated device through the real window
// (offscreen), first with the device paced like a 38400-baud line, then
// unpaced, and prints what the program adds to the line's own time.
//
//   bench_program [--size 1|2]
#include "24GHz_prog.h"
#include "devsim_process.h"
#include "dialog_script.h"
#include "fake_ports.h"
#include "flash.h"
#include "glob.h"
#include "main.h"
#include "session.h"
#include "widgets_runtime.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kSecondsPerByte = 11.0 / 38400.0; // start bit, 8 data bits, 2 stop bits
constexpr int kReplyLength = 4;

using Frame = std::vector<std::uint8_t>;

struct Run {
  double seconds = 0;
  long exchanges = 0;
  long line_bytes = 0; // requests and replies; the echo shares the wire with the request
  bool green = false;
  std::vector<Frame> frames;
};

// Reads exactly count bytes, waiting as long as it takes.
void read_exactly(int fd, std::size_t count) {
  std::uint8_t buffer[64];
  for (std::size_t got = 0; got < count;) {
    pollfd ready{fd, POLLIN, 0};
    poll(&ready, 1, -1);
    const ssize_t n = read(fd, buffer, std::min(sizeof buffer, count - got));
    if (n > 0) got += static_cast<std::size_t>(n);
  }
}

// The same frames through the same paced simulator by a bare client: what
// the simulator and the pseudo-terminal cost by themselves.
double replay_without_the_program(const std::vector<Frame>& frames, const std::string& type) {
  kovo::testsupport::DevsimProcess device({"--type", type, "--paced"});
  const int fd = open(device.ptyPath().c_str(), O_RDWR | O_NOCTTY);
  termios raw{};
  tcgetattr(fd, &raw);
  cfmakeraw(&raw);
  tcsetattr(fd, TCSANOW, &raw);
  const auto start = Clock::now();
  for (const Frame& frame : frames) {
    if (write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) break;
    read_exactly(fd, frame.size() + kReplyLength);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  close(fd);
  return seconds;
}

// Connects, then times one press of the program button.
Run program_once(const std::vector<std::string>& device_arguments) {
  kovo::testsupport::DevsimProcess device(device_arguments);
  rt::Session session;
  kovo::testing::FakePorts ports;
  ports.add(device.ptyPath(), device.ptyPath());
  rt::testing::DialogScript dialogs; // the not-supported note of a 32 KiB device
  rt::WidgetsRuntime runtime;
  Run run;
  QTimer::singleShot(0, [&] {
    QWidget* window = runtime.panel_window(kovo::MAIN_P);
    window->findChild<QAbstractButton*>("PANEL_CONNECT")->click();
    SetCtrlAttribute(kovo::MAIN_P, PANEL_PROGRAM, ATTR_DIMMED, 0);
    const auto start = Clock::now();
    window->findChild<QAbstractButton*>("PANEL_PROGRAM")->click();
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    int colour = 0;
    GetCtrlAttribute(kovo::MAIN_P, PANEL_FLASH_PROGRESS, ATTR_FILL_COLOR, &colour);
    run.green = colour == kovo::kProgrammedColour;
    QuitUserInterface(0);
  });
  kovo::main(0, nullptr);
  for (const auto& frame : device.readLog()) {
    if (frame.bytes.size() >= 2 && frame.bytes[1] == 0x01) continue; // identification
    ++run.exchanges;
    run.line_bytes += static_cast<long>(frame.bytes.size()) + kReplyLength;
    run.frames.push_back(frame.bytes);
  }
  return run;
}

} // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const std::string type = argc == 3 && std::string(argv[1]) == "--size" && argv[2] == std::string("2") ? "D1" : "71";
  QTemporaryDir folder;
  QDir::setCurrent(folder.path());
  kovo::data_flash.fill(0x5A);

  const Run paced = program_once({"--type", type, "--paced"});
  const double bound = paced.line_bytes * kSecondsPerByte;
  std::printf("paced at 38400 baud: %ld exchanges, %ld bytes on the line\n", paced.exchanges, paced.line_bytes);
  std::printf("  measured %.3f s, line-time bound %.3f s, ratio %.4f (%+.2f%%)%s\n", paced.seconds, bound,
              paced.seconds / bound, (paced.seconds / bound - 1) * 100, paced.green ? "" : "  NOT GREEN");
  const double bare = replay_without_the_program(paced.frames, type);
  std::printf("  the simulated line alone, bare client: %.3f s (%+.2f%% over the bound); the program adds %+.2f%%\n",
              bare, (bare / bound - 1) * 100, (paced.seconds / bare - 1) * 100);

  const Run unpaced = program_once({"--type", type});
  std::printf("unpaced: %ld exchanges in %.3f s, %.1f us per exchange (pseudo-terminal round trip included)%s\n",
              unpaced.exchanges, unpaced.seconds, unpaced.seconds / unpaced.exchanges * 1e6,
              unpaced.green ? "" : "  NOT GREEN");
  return paced.green && unpaced.green ? 0 : 1;
}
