// The user-interface operations on a console: panels are models of their
// controls, messages go to standard error, the file dialog answers with the
// path the front end set, and waiting is plain (no idle handler).
#include "console_runtime.h"
#include "native_files.h"
#include "panel_binding.h"
#include "panel_file.h"
#include "scoped_flag.h"
#include "session.h"
#include "userint.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <stdexcept>

namespace rt {
namespace {

struct Panel {
  std::map<int, ConsoleControl> controls;
};

// Message texts break their lines for a box; on one console line a blank does.
std::string one_line(const char* text) {
  std::string line = text;
  std::replace(line.begin(), line.end(), '\n', ' ');
  return line;
}

} // namespace

struct ConsoleRuntime::State : UserInterface {
  explicit State(ConsoleObserver& watcher) : observer(watcher) {}

  Session& owner = Session::current();
  ConsoleObserver& observer;
  std::map<int, Panel> panels;
  int next_handle = 1;
  std::function<void()> session;
  std::string file_choice;
  std::vector<ShownMessage> shown_messages;
  bool busy = false;
  bool quit = false;
  std::string load_error;

  Panel* panel(int handle) {
    const auto found = panels.find(handle);
    return found == panels.end() ? nullptr : &found->second;
  }

  ConsoleControl* control(int handle, int id) {
    Panel* found = panel(handle);
    if (!found) return nullptr;
    const auto control = found->controls.find(id);
    return control == found->controls.end() ? nullptr : &control->second;
  }

  int changed(const ConsoleControl& control, Change change) {
    observer.control_changed(control, change);
    return 0;
  }

  bool takes_commit(const ConsoleControl* target) const {
    return !busy && !quit && target && target->callback && !target->dimmed;
  }

  bool commit(int handle, ConsoleControl* target) {
    if (!takes_commit(target)) return false;
    const ScopedFlag running(busy);
    target->callback(handle, target->id, EVENT_COMMIT, nullptr, 0, 0);
    return true;
  }

  // The same texts as the window's.
  int fail_load(int error, const std::string& file, const std::string& reason) {
    load_error = file + ": " + reason;
    return error;
  }

  int load(const char* file_name, int resource_id);
  int bind(const std::vector<PanelFileControl>& controls, const std::string& file);
};

namespace {

// Only one user interface is linked into a program, so the session's is this one.
ConsoleRuntime::State* state() {
  Session* session = Session::active();
  return session ? static_cast<ConsoleRuntime::State*>(session->user_interface) : nullptr;
}

} // namespace

// The console reads the copy of the panel file built into the program, the
// one the window falls back on.
int ConsoleRuntime::State::load(const char* file_name, int resource_id) {
  const std::string name = native::system_name(native::filesystem_path(file_name).filename());
  if (name != kBuiltInPanelFileName) {
    return fail_load(UIE_PANEL_FILE_NOT_READABLE, name, "no such panel file is built into the program");
  }
  std::istringstream file{std::string(built_in_panel_file())};
  const PanelFile read = read_panel_file(file, resource_id);
  if (!read.error.empty()) return fail_load(UIE_PANEL_FILE_NOT_VALID, name, read.error);
  return bind(read.controls, name);
}

int ConsoleRuntime::State::bind(const std::vector<PanelFileControl>& controls, const std::string& file) {
  Panel loaded;
  for (const PanelFileControl& item : controls) {
    ConsoleControl control;
    control.id = item.id;
    control.kind = item.kind;
    control.maximum = item.maximum;
    control.callback = item.callback.empty() ? nullptr : callback_named(item.callback);
    if (!item.callback.empty() && !control.callback) {
      return fail_load(UIE_PANEL_FILE_NOT_VALID, file,
                       "control " + std::to_string(item.id) + " names the unknown callback " + item.callback);
    }
    loaded.controls.emplace(item.id, control);
  }
  const int handle = next_handle++;
  panels.emplace(handle, std::move(loaded));
  return handle;
}

ConsoleRuntime::ConsoleRuntime(ConsoleObserver& observer) : state_(std::make_unique<State>(observer)) {
  Session& session = state_->owner;
  if (session.user_interface) throw std::logic_error("a second user interface in the run-time session");
  session.user_interface = state_.get();
}

ConsoleRuntime::~ConsoleRuntime() { state_->owner.user_interface = nullptr; }

void ConsoleRuntime::set_session(std::function<void()> session) { state_->session = std::move(session); }

void ConsoleRuntime::set_file_choice(std::string path) { state_->file_choice = std::move(path); }

const std::vector<ShownMessage>& ConsoleRuntime::shown_messages() const { return state_->shown_messages; }

const ConsoleControl* ConsoleRuntime::control(int panel, int id) const { return state_->control(panel, id); }

bool ConsoleRuntime::press(int panel, int id) { return state_->commit(panel, state_->control(panel, id)); }

bool ConsoleRuntime::choose(int panel, int id, int value) {
  ConsoleControl* ring = state_->control(panel, id);
  if (!state_->takes_commit(ring) || ring->kind != ControlKind::Ring) return false;
  const auto item = std::find_if(ring->items.begin(), ring->items.end(),
                                 [value](const RingItem& candidate) { return candidate.value == value; });
  if (item == ring->items.end()) return false;
  ring->selected = static_cast<int>(item - ring->items.begin());
  state_->changed(*ring, Change::Value);
  return state_->commit(panel, ring);
}

} // namespace rt

using rt::ConsoleControl;
using rt::ControlKind;
using rt::state;

namespace {

ConsoleControl* find_control(int panel, int control) { return state() ? state()->control(panel, control) : nullptr; }

} // namespace

int LoadPanel(int parent, const char* fileName, int resourceId) {
  rt::ConsoleRuntime::State* console = state();
  if (!console || parent != 0) return UIE_INVALID_PANEL;
  if (!rt::callbacks_registered()) return UIE_NO_CALLBACKS;
  return console->load(fileName, resourceId);
}

const char* GetUILErrorString(int error) {
  const rt::ConsoleRuntime::State* console = state();
  if (console && (error == UIE_PANEL_FILE_NOT_READABLE || error == UIE_PANEL_FILE_NOT_VALID)) {
    return console->load_error.c_str();
  }
  return rt::ui_error_text(error);
}

// A console has nothing to show or hide.
int DisplayPanel(int panel) { return state() && state()->panel(panel) ? 0 : UIE_INVALID_PANEL; }

int HidePanel(int panel) { return DisplayPanel(panel); }

int RunUserInterface() {
  rt::ConsoleRuntime::State* console = state();
  if (!console) return UIE_INVALID_PANEL;
  console->quit = false;
  if (console->session) console->session();
  return 0;
}

int QuitUserInterface(int) {
  rt::ConsoleRuntime::State* console = state();
  if (!console) return UIE_INVALID_PANEL;
  console->quit = true;
  return 0;
}

int SetCtrlVal(int panel, int control, int value) {
  ConsoleControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind == ControlKind::Numeric) {
    target->value = value;
    return state()->changed(*target, rt::Change::Value);
  }
  if (target->kind != ControlKind::Ring) return UIE_INVALID_VALUE;
  const auto& items = target->items;
  const auto item = std::find_if(items.begin(), items.end(),
                                 [value](const rt::RingItem& candidate) { return candidate.value == value; });
  if (item == items.end()) return 0; // selection unchanged
  target->selected = static_cast<int>(item - items.begin());
  return state()->changed(*target, rt::Change::Value);
}

int SetCtrlVal(int panel, int control, const char* text) {
  ConsoleControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind == ControlKind::TextMessage)
    target->text = text;
  else if (target->kind == ControlKind::TextBox)
    target->text += text;
  else
    return UIE_INVALID_VALUE;
  return state()->changed(*target, rt::Change::Text);
}

int GetCtrlVal(int panel, int control, int* value) {
  ConsoleControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind == ControlKind::Numeric) {
    *value = target->value;
    return 0;
  }
  if (target->kind != ControlKind::Ring || target->selected < 0) return UIE_INVALID_VALUE;
  *value = target->items[static_cast<std::size_t>(target->selected)].value;
  return 0;
}

int GetCtrlVal(int panel, int control, char* text, int bufferSize) {
  ConsoleControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (bufferSize <= 0) return UIE_INVALID_VALUE;
  const auto length = std::min(target->text.size(), static_cast<std::size_t>(bufferSize - 1));
  std::memcpy(text, target->text.data(), length);
  text[length] = '\0';
  return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
  ConsoleControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (attribute == ATTR_DIMMED) {
    target->dimmed = value != 0;
    return state()->changed(*target, rt::Change::Dimming);
  }
  if (attribute == ATTR_FILL_COLOR && target->kind == ControlKind::Numeric) {
    target->colour = value & 0xFFFFFF;
    return state()->changed(*target, rt::Change::Colour);
  }
  return UIE_INVALID_ATTRIBUTE;
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* text) {
  ConsoleControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (attribute != ATTR_LABEL_TEXT) return UIE_INVALID_ATTRIBUTE;
  target->label = text;
  return state()->changed(*target, rt::Change::Label);
}

int GetCtrlAttribute(int panel, int control, int attribute, int* value) {
  ConsoleControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (attribute == ATTR_DIMMED) {
    *value = target->dimmed ? 1 : 0;
  } else if (attribute == ATTR_FILL_COLOR && target->kind == ControlKind::Numeric) {
    *value = target->colour;
  } else {
    return UIE_INVALID_ATTRIBUTE;
  }
  return 0;
}

// A console has no window title to set.
int SetPanelAttribute(int panel, int attribute, const char*) {
  if (!state() || !state()->panel(panel)) return UIE_INVALID_PANEL;
  return attribute == ATTR_TITLE ? 0 : UIE_INVALID_ATTRIBUTE;
}

int ResetTextBox(int panel, int control, const char* text) {
  ConsoleControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind != ControlKind::TextBox) return UIE_INVALID_VALUE;
  target->text = text;
  return state()->changed(*target, rt::Change::Text);
}

int ClearListCtrl(int panel, int control) {
  ConsoleControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind != ControlKind::Ring) return UIE_INVALID_VALUE;
  target->items.clear();
  target->selected = -1;
  return state()->changed(*target, rt::Change::Items);
}

// As a list box does: the first item becomes the selection, and an item put
// in front of the selected one keeps that one selected.
int InsertListItem(int panel, int control, int index, const char* label, int value) {
  ConsoleControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind != ControlKind::Ring) return UIE_INVALID_VALUE;
  auto& items = target->items;
  const int count = static_cast<int>(items.size());
  const int position = index < 0 || index > count ? count : index;
  items.insert(items.begin() + position, rt::RingItem{label, value});
  if (target->selected < 0)
    target->selected = 0;
  else if (position <= target->selected)
    ++target->selected;
  return state()->changed(*target, rt::Change::Items);
}

// The console has no dialogs of its own.
int SetDialogLanguage(int language) { return language == 0 || language == 1 ? 0 : UIE_INVALID_VALUE; }

int MessagePopup(const char* title, const char* message) {
  if (state()) {
    state()->shown_messages.push_back({title, message});
    if (!state()->observer.before_message(state()->shown_messages.back())) return 0;
  }
  const std::string line = rt::one_line(title) + ": " + rt::one_line(message);
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  return 0;
}

int FileSelectPopup(const char*, const char*, const char*, const char*, int, int, int, int, int, char* pathBuffer) {
  pathBuffer[0] = '\0';
  const rt::ConsoleRuntime::State* console = state();
  if (!console || console->file_choice.empty()) return VAL_NO_FILE_SELECTED;
  // A path too long for the buffer stays empty rather than cut into another
  // path, as in the window: opening it then fails visibly.
  const std::string& chosen = console->file_choice;
  if (chosen.size() < static_cast<std::size_t>(MAX_PATHNAME_LEN)) {
    std::memcpy(pathBuffer, chosen.c_str(), chosen.size() + 1);
  }
  return VAL_EXISTING_FILE_SELECTED;
}
