#include "workshop.h"

#include "child_process.h"
#include "events.h"
#include "line_trace.h"
#include "live_output.h"
#include "qt_text.h"
#include "trace_file.h"
#include "utility.h"
#include "workshop_view.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

namespace cli {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kLookInterval = 50ms; // for a stop request and a due redraw

struct PortRun {
  std::unique_ptr<QProcess> process;
  QByteArray unread; // output after the last whole line
  QString result;    // the message of the copy's result event
  Clock::time_point started;
  bool done = false;
  bool stop_passed = false;
};

QStringList child_arguments(const WorkshopRequest& request, const QString& port, const QString& file) {
  QStringList arguments = {QStringLiteral("--workshop-child"), QStringLiteral("--lang"),
                           language_code(request.language), QStringLiteral("--port"), port};
  if (!request.trace.isEmpty()) arguments << QStringLiteral("--trace") << trace_file_for(request.trace, port);
  if (request.force) arguments << QStringLiteral("--force");
  return arguments << file;
}

class Workshop {
public:
  Workshop(const WorkshopRequest& request, const Texts& texts, const QString& image)
      : request_(request),
        texts_(texts),
        image_(image),
        view_(texts, request.json ? stderr : stdout, request.ports),
        runs_(static_cast<std::size_t>(request.ports.size())) {}

  ExitStatus run() {
    for (std::size_t index = 0; index < runs_.size(); ++index) start(index);
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [this] { look_around(); });
    look.start(kLookInterval);
    if (!all_done()) loop_.exec();
    view_.refresh();
    view_.summary();
    return highest_status();
  }

private:
  void start(std::size_t index) {
    PortRun& run = runs_[index];
    run.process = std::make_unique<QProcess>();
    QProcess& process = *run.process;
    process.setStandardErrorFile(QProcess::nullDevice()); // what it would say comes as events
    rt::bind_to_this_program(process);
    QObject::connect(&process, &QProcess::readyReadStandardOutput, [this, index] { read_events(index); });
    QObject::connect(&process, &QProcess::finished, [this, index] { finish(index); });
    QObject::connect(&process, &QProcess::errorOccurred, [this, index](QProcess::ProcessError error) {
      if (error == QProcess::FailedToStart) finish(index);
    });
    run.started = Clock::now();
    process.start(QCoreApplication::applicationFilePath(), child_arguments(request_, request_.ports[index], image_));
  }

  void read_events(std::size_t index) {
    PortRun& run = runs_[index];
    run.unread += run.process->readAllStandardOutput();
    for (qsizetype end = run.unread.indexOf('\n'); end >= 0; end = run.unread.indexOf('\n')) {
      const auto event = event_from_json(run.unread.left(end));
      run.unread.remove(0, end + 1);
      if (event) take(index, *event);
    }
  }

  // The copy's own result is not passed on: the exit status is what counts.
  void take(std::size_t index, const Event& event) {
    if (event.phase == EventPhase::Result) {
      runs_[index].result = event.message;
      return;
    }
    Event shown = event;
    shown.port = view_.rows()[index].port; // as the user named it, in every event of the port
    // The copy loaded the image it was handed; the user knows their file.
    shown.message.replace(QDir::toNativeSeparators(image_), rt::from_system_text(request_.firmware.file));
    if (request_.json) write_event(shown);
    view_.show(index, shown);
  }

  void finish(std::size_t index) {
    PortRun& run = runs_[index];
    if (run.done) return;
    read_events(index);
    run.done = true;
    const auto [status, message] = outcome_of(run);
    const double seconds = std::chrono::duration<double>(Clock::now() - run.started).count();
    view_.finish(index, status, message, seconds);
    if (request_.json) write_event(result_event(index, status, message));
    if (all_done()) loop_.quit();
  }

  // A copy ended by a signal (killed outright, or a stop request that came
  // before it could meet one) left its device wherever it was: the update
  // must be repeated.
  std::pair<int, QString> outcome_of(const PortRun& run) const {
    const QProcess& process = *run.process;
    if (process.error() == QProcess::FailedToStart) {
      return {code_of(ExitStatus::Internal), QString::fromUtf8(texts_.no_result)};
    }
    if (process.exitStatus() == QProcess::CrashExit) {
      return {code_of(ExitStatus::Interrupted), QString::fromUtf8(texts_.interrupted)};
    }
    return {process.exitCode(), run.result.isEmpty() ? QString::fromUtf8(texts_.no_result) : run.result};
  }

  Event result_event(std::size_t index, int status, const QString& message) const {
    const PortRow& row = view_.rows()[index];
    return {EventPhase::Result, row.port, row.device, row.version, std::nullopt, status, message};
  }

  void look_around() {
    if (StopRequested()) {
      for (PortRun& run : runs_) {
        if (run.done || run.stop_passed) continue;
        rt::pass_stop_request(*run.process);
        run.stop_passed = true;
      }
    }
    view_.refresh();
  }

  bool all_done() const {
    return std::all_of(runs_.begin(), runs_.end(), [](const PortRun& run) { return run.done; });
  }

  ExitStatus highest_status() const {
    int highest = 0;
    for (const PortRow& row : view_.rows()) highest = std::max(highest, final_status(row));
    return static_cast<ExitStatus>(highest);
  }

  const WorkshopRequest& request_;
  const Texts& texts_;
  const QString image_; // what every copy loads
  WorkshopView view_;
  std::vector<PortRun> runs_;
  QEventLoop loop_;
};

// A trace that cannot be written is refused before any port is touched.
bool trace_files_writable(const WorkshopRequest& request, const Texts& texts) {
  if (request.trace.isEmpty()) return true;
  for (const QString& port : request.ports) {
    std::optional<rt::LineTrace> trace;
    if (!open_trace(trace, trace_file_for(request.trace, port), request.firmware.file, texts)) return false;
  }
  return true;
}

} // namespace

QString trace_file_for(const QString& trace, const QString& port) {
  static const QRegularExpression kUnsafe(QStringLiteral("[^A-Za-z0-9_.-]+"));
  QString name = port;
  name.remove(QRegularExpression(QStringLiteral("^/dev/")));
  name.replace(kUnsafe, QStringLiteral("-"));
  return trace + QLatin1Char('.') + name;
}

ExitStatus run_workshop(const WorkshopRequest& request, const Texts& texts) {
  if (!trace_files_writable(request, texts)) return ExitStatus::Usage;
  Workshop workshop(request, texts, rt::from_system_text(request.firmware.loaded()));
  return workshop.run();
}

} // namespace cli
