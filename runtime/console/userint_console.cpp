// The console's view of the panel model: nothing to draw, messages on
// standard error, the file dialog answered with the path the front end set,
// and waiting plain (no idle handler).
#include "console_runtime.h"

#include <algorithm>
#include <cstdio>

namespace rt {
namespace {

// Message texts break their lines for a box; on one console line a blank does.
std::string one_line(const std::string& text) {
  std::string line = text;
  std::replace(line.begin(), line.end(), '\n', ' ');
  return line;
}

} // namespace

ConsoleRuntime::ConsoleRuntime(ConsoleObserver& observer) : observer_(observer) {}

ConsoleRuntime::~ConsoleRuntime() = default;

void ConsoleRuntime::set_session(std::function<void()> session) { session_ = std::move(session); }

void ConsoleRuntime::set_file_choice(std::string path) { file_choice_ = std::move(path); }

const std::vector<ShownMessage>& ConsoleRuntime::shown_messages() const { return shown_messages_; }

const PanelControl* ConsoleRuntime::control(int panel, int id) const { return model_.control(panel, id); }

bool ConsoleRuntime::press(int panel, int id) { return model_.press(panel, id); }

bool ConsoleRuntime::choose(int panel, int id, int value) { return model_.pick(panel, id, value); }

// The console shows the panel through its observer alone.
std::string ConsoleRuntime::build_panel(int, std::string_view) { return {}; }

void ConsoleRuntime::panel_shown(int, bool) {}

void ConsoleRuntime::title_changed(int, const std::string&) {}

void ConsoleRuntime::control_changed(int, const PanelControl& control, Change change) {
  observer_.control_changed(control, change);
}

void ConsoleRuntime::show_message(const ShownMessage& message) {
  shown_messages_.push_back(message);
  if (!observer_.before_message(message)) return;
  const std::string line = one_line(message.title) + ": " + one_line(message.text);
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

std::optional<std::string> ConsoleRuntime::choose_file(const FileRequest&) {
  if (file_choice_.empty()) return std::nullopt;
  return file_choice_;
}

// The console has no dialogs of its own.
void ConsoleRuntime::dialog_language_changed(int) {}

void ConsoleRuntime::run() {
  if (session_) session_();
}

// The session returns by itself once the system has quit.
void ConsoleRuntime::stop_running() {}

} // namespace rt
