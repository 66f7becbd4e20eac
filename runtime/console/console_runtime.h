// The console's view of the panel model (panel_model.h): it shows nothing by
// itself but tells its observer of every change, writes messages to standard
// error, answers the file dialog with the path the front end set, and runs
// the front end's session in place of an event loop. The front end reads the
// panels back and acts as the user through it. Exactly one instance lives
// while panels exist, inside the run-time's session (session.h).
#pragma once

#include "panel_model.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rt {

class ConsoleObserver {
public:
  virtual ~ConsoleObserver() = default;
  virtual void control_changed(const PanelControl& control, Change change) = 0;
  // A message is about to go to standard error: a live line must end first.
  // False keeps it off standard error, for a front end that says it itself.
  virtual bool before_message(const ShownMessage& message) = 0;
};

class ConsoleRuntime final : private PanelView {
public:
  explicit ConsoleRuntime(ConsoleObserver& observer);
  ~ConsoleRuntime() override;
  ConsoleRuntime(const ConsoleRuntime&) = delete;
  ConsoleRuntime& operator=(const ConsoleRuntime&) = delete;

  // What RunUserInterface does in place of waiting for a person: it runs the
  // session once and returns when the session does.
  void set_session(std::function<void()> session);
  // The path FileSelectPopup answers with, as the system names files (bytes
  // on POSIX, UTF-8 on Windows); empty: cancelled.
  void set_file_choice(std::string path);

  // Every message the system showed in this run, in order.
  const std::vector<ShownMessage>& shown_messages() const;

  // The control, or nullptr when the panel or control does not exist.
  const PanelControl* control(int panel, int id) const;
  // Commits the control as a click would (UserActions::press).
  bool press(int panel, int id);
  // Picks the ring item with the value as choosing it in the list would
  // (UserActions::pick); false when no item has the value or it is refused.
  bool choose(int panel, int id, int value);

private:
  std::string build_panel(int panel, std::string_view file_content) override;
  void panel_shown(int panel, bool shown) override;
  void title_changed(int panel, const std::string& title) override;
  void control_changed(int panel, const PanelControl& control, Change change) override;
  void show_message(const ShownMessage& message) override;
  std::optional<std::string> choose_file(const FileRequest& request) override;
  void dialog_language_changed(int language) override;
  void run() override;
  void stop_running() override;

  ConsoleObserver& observer_;
  std::function<void()> session_;
  std::string file_choice_;
  std::vector<ShownMessage> shown_messages_;
  PanelModel model_{*this};
};

} // namespace rt
