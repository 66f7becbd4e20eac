// The whole load of a 2400-line firmware file through the real program on
// the offscreen platform: a click on the load button, the scripted dialog,
// the settings file, the indicator updates, the parse.
#include "24GHz_prog.h"
#include "dialog_script.h"
#include "fake_ports.h"
#include "firmware_text.h"
#include "glob.h"
#include "main.h"
#include "session.h"
#include "widgets_runtime.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fstream>

namespace {

using namespace kovo;

// Loads the file kRuns times from inside the program's event loop, as a user would.
std::vector<double> time_loads(rt::WidgetsRuntime& runtime, rt::testing::DialogScript& dialogs,
                               const std::string& path) {
  memory_size = bench::kMemorySize; // what a connect would have set
  SetCtrlAttribute(MAIN_P, PANEL_LOAD_FILE, ATTR_DIMMED, 0);
  auto* load_button = runtime.panel_window(MAIN_P)->findChild<QAbstractButton*>("PANEL_LOAD_FILE");
  std::vector<double> times;
  for (int run = 0; run < bench::kRuns; ++run) {
    dialogs.choose_file(path);
    const auto start = std::chrono::steady_clock::now();
    load_button->click();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return times;
}

bool program_enabled() {
  int dimmed = 1;
  GetCtrlAttribute(MAIN_P, PANEL_PROGRAM, ATTR_DIMMED, &dimmed);
  return dimmed == 0;
}

} // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QTemporaryDir folder; // the settings file goes here
  QDir::setCurrent(folder.path());
  const std::string text = bench::firmware_text(bench::kFileLines);
  const std::string path = QDir(folder.path()).filePath("bench.frm").toStdString();
  std::ofstream(path, std::ios::binary) << text;

  rt::Session session;
  testing::FakePorts ports;
  rt::testing::DialogScript dialogs;
  rt::WidgetsRuntime runtime;
  std::vector<double> times;
  bool loaded = false;
  QTimer::singleShot(0, [&] {
    times = time_loads(runtime, dialogs, path);
    loaded = program_enabled() && dialogs.messages().empty();
    QuitUserInterface(0);
  });
  kovo::main(0, nullptr);
  if (!loaded) {
    std::fprintf(stderr, "bench_load_panel: the file did not load\n");
    return 1;
  }
  bench::report("bench_load_panel", text.size(), times);
  return 0;
}
