// Programs 1, 4 and 8 simulated devices at once through kovoflash-cli, each
// paced like a 38400-baud line on its own pseudo-terminal, and prints each
// run's wall time, its ratio to the one-device run of the same invocation,
// and the peak memory (VmHWM, Linux) of each process that updates one port.
//
//   bench_workshop
#include "devsim_process.h"
#include "firmware_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kLines16KiB = 1024; // 16-byte records fill the 16 KiB a device receives
constexpr int kDeviceCounts[] = {1, 4, 8};
constexpr int kPollMs = 20;

struct Run {
  double seconds = 0;
  bool programmed = false;
  std::vector<long> peak_kib; // per process that updated one port
};

QByteArray read_proc(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

long peak_kib_of(qint64 pid) {
  for (const QByteArray& line : read_proc(QStringLiteral("/proc/%1/status").arg(pid)).split('\n')) {
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  }
  return 0;
}

QList<qint64> children_of(qint64 pid) {
  QList<qint64> children;
  const QByteArray text = read_proc(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
  for (const QByteArray& child : text.split(' ')) {
    if (!child.trimmed().isEmpty()) children.append(child.trimmed().toLongLong());
  }
  return children;
}

// With one port the program updates it itself; with more, each copy does.
void note_peaks(qint64 pid, int devices, std::map<qint64, long>& peaks) {
  const QList<qint64> updaters = devices == 1 ? QList<qint64>{pid} : children_of(pid);
  for (qint64 updater : updaters) {
    const long peak = peak_kib_of(updater);
    if (peak > 0) peaks[updater] = std::max(peaks[updater], peak);
  }
}

Run program(int devices, const QString& firmware, const QString& config) {
  std::vector<std::unique_ptr<kovo::testsupport::DevsimProcess>> simulated;
  QStringList arguments;
  for (int i = 0; i < devices; ++i) {
    simulated.push_back(std::make_unique<kovo::testsupport::DevsimProcess>(std::vector<std::string>{"--paced"}));
    arguments << QStringLiteral("--port") << QString::fromStdString(simulated.back()->ptyPath());
  }
  arguments << QStringLiteral("--lang") << QStringLiteral("en") << firmware;
  QProcess cli;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
  environment.remove(QStringLiteral("KOVOFLASH_TIME_SCALE"));
  cli.setProcessEnvironment(environment);
  cli.setStandardOutputFile(QProcess::nullDevice());
  cli.setStandardErrorFile(QProcess::nullDevice());
  std::map<qint64, long> peaks;
  const auto start = Clock::now();
  cli.start(QStringLiteral(KOVOFLASH_CLI), arguments);
  cli.waitForStarted();
  while (!cli.waitForFinished(kPollMs)) note_peaks(cli.processId(), devices, peaks);
  Run run;
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.programmed = cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0;
  for (const auto& [pid, peak] : peaks) run.peak_kib.push_back(peak);
  return run;
}

QString peaks_text(const std::vector<long>& peaks) {
  if (peaks.empty()) return QStringLiteral("not seen");
  const auto [lowest, highest] = std::minmax_element(peaks.begin(), peaks.end());
  return QStringLiteral("%1 to %2 MiB (%3 processes)")
      .arg(*lowest / 1024.0, 0, 'f', 1)
      .arg(*highest / 1024.0, 0, 'f', 1)
      .arg(peaks.size());
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QTemporaryDir folder;
  const QString firmware = folder.filePath(QStringLiteral("firmware.frm"));
  QFile file(firmware);
  const std::string text = kovo::bench::firmware_text(kLines16KiB);
  if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0) return 1;
  file.close();
  std::printf("16 KiB to each device, paced at 38400 baud, all devices at once\n");
  double one = 0;
  bool all_programmed = true;
  for (int devices : kDeviceCounts) {
    const Run run = program(devices, firmware, folder.filePath(QStringLiteral("config")));
    if (devices == 1) one = run.seconds;
    all_programmed = all_programmed && run.programmed;
    std::printf("%d device%s: %.3f s, %.3f x one device; peak memory per updating process %s%s\n", devices,
                devices == 1 ? " " : "s", run.seconds, run.seconds / one, peaks_text(run.peak_kib).toUtf8().constData(),
                run.programmed ? "" : "  NOT ALL PROGRAMMED");
  }
  return all_programmed ? 0 : 1;
}
