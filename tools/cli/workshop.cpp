#include "workshop.h"

#include "child_process.h"
#include "events.h"
#include "line_trace.h"
#include "live_output.h"
#include "trace_file.h"
#include "utility.h"
#include "workshop_view.h"

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
  std::unique_ptr<rt::ChildProcess> process;
  std::string unread; // output after the last whole line
  std::string result; // the message of the copy's result event
  Clock::time_point started;
  bool done = false;
};

std::vector<std::string> child_arguments(const WorkshopRequest& request, const std::string& port,
                                         const std::string& file) {
  std::vector<std::string> arguments = {"--workshop-child", "--lang", language_code(request.language), "--port", port};
  if (!request.trace.empty()) {
    arguments.push_back("--trace");
    arguments.push_back(trace_file_for(request.trace, port));
  }
  if (request.force) arguments.push_back("--force");
  arguments.push_back(file);
  return arguments;
}

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

class Workshop {
public:
  Workshop(const WorkshopRequest& request, const Texts& texts, const std::string& image)
      : request_(request),
        texts_(texts),
        image_(image),
        view_(texts, request.json ? stderr : stdout, request.ports),
        runs_(request.ports.size()) {}

  ExitStatus run() {
    for (std::size_t index = 0; index < runs_.size(); ++index) start(index);
    while (!all_done()) {
      rt::wait_for_any(running(), kLookInterval);
      for (std::size_t index = 0; index < runs_.size(); ++index) look_at(index);
      look_around();
    }
    view_.refresh();
    view_.summary();
    return highest_status();
  }

private:
  void start(std::size_t index) {
    PortRun& run = runs_[index];
    run.started = Clock::now();
    run.process = std::make_unique<rt::ChildProcess>(child_arguments(request_, request_.ports[index], image_));
  }

  std::vector<rt::ChildProcess*> running() const {
    std::vector<rt::ChildProcess*> processes;
    for (const PortRun& run : runs_) {
      if (!run.done) processes.push_back(run.process.get());
    }
    return processes;
  }

  void look_at(std::size_t index) {
    PortRun& run = runs_[index];
    if (run.done) return;
    read_events(index);
    if (const auto end = run.process->end()) finish(index, *end);
  }

  void read_events(std::size_t index) {
    PortRun& run = runs_[index];
    run.unread += run.process->read_output();
    for (std::size_t end = run.unread.find('\n'); end != std::string::npos; end = run.unread.find('\n')) {
      const auto event = event_from_json(std::string_view(run.unread).substr(0, end));
      run.unread.erase(0, end + 1);
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
    replace_all(shown.message, image_, request_.firmware.file);
    if (request_.json) write_event(shown);
    view_.show(index, shown);
  }

  void finish(std::size_t index, const rt::ChildEnd& end) {
    PortRun& run = runs_[index];
    run.done = true;
    const auto [status, message] = outcome_of(run, end);
    const double seconds = std::chrono::duration<double>(Clock::now() - run.started).count();
    view_.finish(index, status, message, seconds);
    if (request_.json) write_event(result_event(index, status, message));
  }

  // A copy ended by a signal (killed outright, or a stop request that came
  // before it could meet one) left its device wherever it was: the update
  // must be repeated.
  std::pair<int, std::string> outcome_of(const PortRun& run, const rt::ChildEnd& end) const {
    if (!end.started) return {code_of(ExitStatus::Internal), texts_.no_result};
    if (end.by_signal) return {code_of(ExitStatus::Interrupted), texts_.interrupted};
    return {end.code, run.result.empty() ? std::string(texts_.no_result) : run.result};
  }

  Event result_event(std::size_t index, int status, const std::string& message) const {
    const PortRow& row = view_.rows()[index];
    return {EventPhase::Result, row.port, row.device, row.version, std::nullopt, status, message};
  }

  void look_around() {
    if (StopRequested()) {
      for (PortRun& run : runs_) {
        if (!run.done) run.process->pass_stop_request();
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
  const std::string image_; // what every copy loads
  WorkshopView view_;
  std::vector<PortRun> runs_;
};

// A trace that cannot be written is refused before any port is touched.
bool trace_files_writable(const WorkshopRequest& request, const Texts& texts) {
  if (request.trace.empty()) return true;
  for (const std::string& port : request.ports) {
    std::optional<rt::LineTrace> trace;
    if (!open_trace(trace, trace_file_for(request.trace, port), request.firmware.file, texts)) return false;
  }
  return true;
}

} // namespace

// Each run of characters a file name may not safely hold becomes one dash.
std::string trace_file_for(const std::string& trace, const std::string& port) {
  constexpr std::string_view kDevices = "/dev/";
  std::string_view name = port;
  if (name.starts_with(kDevices)) name.remove_prefix(kDevices.size());
  std::string file = trace + '.';
  bool unsafe_run = false;
  for (const char character : name) {
    const bool safe = (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z') ||
                      (character >= '0' && character <= '9') || character == '_' || character == '.' ||
                      character == '-';
    if (safe || !unsafe_run) file += safe ? character : '-';
    unsafe_run = !safe;
  }
  return file;
}

ExitStatus run_workshop(const WorkshopRequest& request, const Texts& texts) {
  if (!trace_files_writable(request, texts)) return ExitStatus::Usage;
  Workshop workshop(request, texts, request.firmware.loaded());
  return workshop.run();
}

} // namespace cli
