// The Windows window: the panel model's view with native controls. It runs
// the message loop, keeps the window painted while a callback holds the one
// thread (its idle handler pumps the messages and drops the user's input
// meanwhile), and shows the message box and the common open dialog. Exactly
// one lives, inside the run-time's session; the program's entry point creates
// it, then the model with it.
#pragma once

#include "idle.h"
#include "panel_model.h"

#include <windows.h>

#include <map>
#include <memory>

namespace rt {

class PanelWindow;

class Win32View final : public PanelView, public IdleHandler {
public:
  Win32View();
  ~Win32View() override;
  Win32View(const Win32View&) = delete;
  Win32View& operator=(const Win32View&) = delete;

  // The model this view renders and hands the user's actions to.
  void attach(PanelModel& model);

  std::string build_panel(int panel, std::string_view file_content) override;
  void panel_shown(int panel, bool shown) override;
  void title_changed(int panel, const std::string& title) override;
  void control_changed(int panel, const PanelControl& control, Change change) override;
  void show_message(const ShownMessage& message) override;
  std::optional<std::string> choose_file(const FileRequest& request) override;
  void dialog_language_changed(int language) override;
  void run() override;
  void stop_running() override;

  void keep_alive() override;
  void wait_until(Clock::time_point deadline) override;

private:
  PanelWindow* window(int panel) const;
  void handle(MSG& message);
  void pump();

  PanelModel* model_ = nullptr;
  std::map<int, std::unique_ptr<PanelWindow>> windows_;
  bool running_ = false;
  Clock::time_point last_pump_{};
};

} // namespace rt
