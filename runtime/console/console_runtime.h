// The user-interface operations on a console. A panel is a model of its
// controls by id, read from the panel file built into the program; the front
// end reads it back, hears of every change through an observer, learns which
// messages the system showed, and acts as the user by committing controls. Exactly one instance lives while panels
// exist, inside the run-time's session (session.h).
#pragma once

#include "userint.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rt {

enum class ControlKind { Button, TextMessage, TextBox, Numeric, Ring };

struct RingItem {
  std::string label; // UTF-8 bytes, as the system passed them
  int value = 0;
};

// A control as the system last set it.
struct ConsoleControl {
  int id = 0;
  ControlKind kind = ControlKind::Button;
  CtrlCallbackPtr callback = nullptr;
  std::string text;  // text message or text box, UTF-8
  std::string label; // UTF-8
  int value = 0;     // numeric
  int maximum = 0;   // numeric: the value that means "full"
  bool dimmed = false;
  int colour = 0; // numeric fill colour, 0xRRGGBB
  std::vector<RingItem> items;
  int selected = -1; // ring: index into items, -1 when empty
};

enum class Change { Value, Text, Label, Dimming, Colour, Items };

// A message box the system showed, as it passed it: UTF-8 title and text.
struct ShownMessage {
  std::string title;
  std::string text;
};

class ConsoleObserver {
public:
  virtual ~ConsoleObserver() = default;
  virtual void control_changed(const ConsoleControl& control, Change change) = 0;
  // A message is about to go to standard error: a live line must end first.
  // False keeps it off standard error, for a front end that says it itself.
  virtual bool before_message(const ShownMessage& message) = 0;
};

class ConsoleRuntime {
public:
  explicit ConsoleRuntime(ConsoleObserver& observer);
  ~ConsoleRuntime();
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
  const ConsoleControl* control(int panel, int id) const;
  // Commits the control as a click would: its callback with EVENT_COMMIT.
  // Refused (false), as in the window, for a control without callback or
  // dimmed, while a callback runs, and once the user interface has quit.
  bool press(int panel, int id);
  // Selects the ring item with the value and commits it, as picking it in the
  // list would; false when no item has the value or the commit is refused.
  bool choose(int panel, int id, int value);

  struct State;

private:
  std::unique_ptr<State> state_;
};

} // namespace rt
