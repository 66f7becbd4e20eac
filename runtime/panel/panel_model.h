// One model of the system's panels, free of any toolkit: it implements the
// user-interface operations of userint.h once, for every interface. It holds
// each panel's controls by id with what the system last set (values, texts,
// labels, dimming, colours, ring items), binds the panel file's callbacks, and
// keeps the rules every interface shares: which commits it takes, which
// events each operation sends, when RunUserInterface returns.
//
// A view (the window, the console, the Windows window) renders the model and
// is its user's hands:
// - it implements PanelView: it builds its look of a panel when one loads,
//   then renders every change it hears of; it shows messages and the file
//   dialog; it runs the user's event loop in RunUserInterface until told to
//   stop;
// - it hands what the user did back through UserActions (press, pick a ring
//   item, open a ring, type, close, timer tick) and never calls a control's
//   callback itself: the model refuses what the user could not do (see there);
// - it reads the state through PanelModel::control and never keeps its own
//   copy of a value the system can read back.
// Exactly one model lives while panels exist, inside the run-time's session
// (session.h): the view creates it and is destroyed after it.
#pragma once

#include "userint.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

// What a control is, whatever widget a view draws it with.
enum class ControlKind { Button, TextMessage, TextBox, Numeric, Ring, Timer };

struct RingItem {
  std::string label; // UTF-8 bytes, as the system passed them
  int value = 0;
};

// A control as the panel file made it and the system last set it.
struct PanelControl {
  int id = 0;
  ControlKind kind = ControlKind::Button;
  CtrlCallbackPtr callback = nullptr;
  std::string text;      // text message or text box, UTF-8
  std::string label;     // UTF-8; a button's own text or the text of the label naming the control
  bool labelled = false; // a button, or a control a separate label names: only these take ATTR_LABEL_TEXT
  int value = 0;         // numeric, unclamped: a view shows it within 0..maximum
  int maximum = 0;       // numeric: the value that means "full"
  bool dimmed = false;
  int colour = 0; // numeric fill colour, 0xRRGGBB; 0 until the system sets one (a view keeps its own until then)
  std::vector<RingItem> items;
  int selected = -1;   // ring: index into items, -1 when empty
  int interval_ms = 0; // timer: how often it ticks
};

// What changed on a control; the control passed along holds the new state.
// Value: a numeric's value or a ring's selection. Items: a ring's items and
// with them its selection.
enum class Change { Value, Text, Label, Dimming, Colour, Items };

// A message box the system showed, as it passed it: UTF-8 title and text.
struct ShownMessage {
  std::string title;
  std::string text;
};

// FileSelectPopup's arguments, as the system passed them (UTF-8).
struct FileRequest {
  std::string default_directory, default_file_spec, file_type_list, title;
  int button_label, restrict_directory, restrict_extension, allow_cancel, allow_make_directory;
};

// What a view implements. Every call comes on the one thread, possibly from
// inside a callback (callback_running() true): a view then keeps its window
// painted but must not let the user act (see UserActions).
class PanelView {
public:
  virtual ~PanelView() = default;
  // LoadPanel found and read the panel file: the model holds the panel's
  // controls (PanelModel::control_ids). The view builds its look of the panel
  // from the same file content, its controls by the ids the file gives them,
  // hidden. Returns an empty text, or why it cannot: the load then fails with
  // that reason and the handle is not used.
  virtual std::string build_panel(int panel, std::string_view file_content) = 0;
  virtual void panel_shown(int panel, bool shown) = 0; // DisplayPanel (true), HidePanel (false)
  virtual void title_changed(int panel, const std::string& title) = 0;
  virtual void control_changed(int panel, const PanelControl& control, Change change) = 0;
  // MessagePopup: shows the message and returns once it is closed.
  virtual void show_message(const ShownMessage& message) = 0;
  // FileSelectPopup: the chosen file's path as the system names files (bytes
  // on POSIX, UTF-8 on Windows), or nullopt when cancelled.
  virtual std::optional<std::string> choose_file(const FileRequest& request) = 0;
  // SetDialogLanguage: 0 German, 1 English, for the view's own dialog texts.
  virtual void dialog_language_changed(int language) = 0;
  // RunUserInterface: runs the user's event loop until stop_running; returns then.
  virtual void run() = 0;
  // The running loop must end: QuitUserInterface was called outside a
  // callback, or the callback that called it has returned.
  virtual void stop_running() = 0;
};

// What the user did, handed back by a view. Each returns false, doing
// nothing, when the user could not have done it: the panel or control does not
// exist or is of another kind, the control is dimmed or has no callback, a
// callback is running (input meanwhile is discarded, not replayed), or the
// user interface has quit.
class UserActions {
public:
  virtual ~UserActions() = default;
  // A click or shortcut: the control's callback with EVENT_COMMIT.
  virtual bool press(int panel, int id) = 0;
  // Selects the ring item with the value (Change::Value) and commits it. A
  // view hands a pick over only when the user chose an item other than the
  // one shown: picking the shown item again must not commit (it would close
  // the open port).
  virtual bool pick(int panel, int id, int value) = 0;
  // The ring is about to show its items: EVENT_RING_OPENING, in which the
  // system may refill them. The view shows the items as they are afterwards.
  virtual bool open_ring(int panel, int id) = 0;
  // The user edited a text box: its whole text now. No event, no change told back.
  virtual bool type(int panel, int id, std::string text) = 0;
  // The window's close box: commits the panel's close control (the file's
  // closeCtrl), dimmed or not; false when the panel names none.
  virtual bool close(int panel) = 0;
  // The timer's interval passed: EVENT_TIMER_TICK (skipped while a callback runs).
  virtual bool tick(int panel, int id) = 0;

  // True while a control callback runs.
  virtual bool callback_running() const = 0;
  // True once QuitUserInterface was called, until RunUserInterface runs again.
  virtual bool quit_requested() const = 0;
};

class PanelModel final : public UserActions {
public:
  // Becomes the session's user interface; std::logic_error when it has one.
  explicit PanelModel(PanelView& view);
  ~PanelModel() override;
  PanelModel(const PanelModel&) = delete;
  PanelModel& operator=(const PanelModel&) = delete;

  // Where LoadPanel looks for a panel file, in order, before the copy built
  // into the program (paths as the system names files). None unless set.
  void set_panel_folders(std::vector<std::string> folders);

  // The control, or nullptr when the panel or control does not exist.
  const PanelControl* control(int panel, int id) const;
  // The panel's control ids in ascending order; empty for no panel.
  std::vector<int> control_ids(int panel) const;

  bool press(int panel, int id) override;
  bool pick(int panel, int id, int value) override;
  bool open_ring(int panel, int id) override;
  bool type(int panel, int id, std::string text) override;
  bool close(int panel) override;
  bool tick(int panel, int id) override;
  bool callback_running() const override;
  bool quit_requested() const override;

  struct State;

private:
  std::unique_ptr<State> state_;
};

} // namespace rt
