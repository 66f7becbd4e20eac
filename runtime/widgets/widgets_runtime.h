// The window: a view of the panel model (panel_model.h), which implements the
// user-interface operations. Exactly one instance lives while panels exist,
// inside a running QApplication and the run-time's session (session.h); the
// program's entry point and the tests create it.
#pragma once

#include <QString>
#include <memory>

class QWidget;

namespace rt {

class WidgetsRuntime {
public:
  WidgetsRuntime();
  ~WidgetsRuntime();
  WidgetsRuntime(const WidgetsRuntime&) = delete;
  WidgetsRuntime& operator=(const WidgetsRuntime&) = delete;

  // Where LoadPanel looks for a panel file before the copy built into the
  // program; unless set, the executable's folder and then the installed
  // data folder beside it (bin/../share/kovoflash).
  void set_panel_directory(const QString& directory);
  // The window of a loaded panel, or nullptr.
  QWidget* panel_window(int panel) const;
  // True while a control callback runs.
  bool callback_running() const;
  // True once QuitUserInterface was called in the running event loop.
  bool quit_requested() const;

  struct State;

private:
  std::unique_ptr<State> state_;
};

} // namespace rt
