// The user-interface operations of userint.h, once for every view: the
// model keeps the state and the rules, the session's view renders them.
#include "panel_model.h"

#include "files.h"
#include "native_files.h"
#include "panel_binding.h"
#include "panel_file.h"
#include "scoped_flag.h"
#include "session.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>

namespace rt {
namespace {

constexpr long long kMaxPanelFileBytes = 4LL * 1024 * 1024; // far beyond the panel's 17 KB

struct Panel {
  std::map<int, PanelControl> controls;
  int close_control = 0;
};

// A panel file found for a name: where, and its content or why there is none.
struct FoundFile {
  std::string path;
  std::optional<std::string> content;
  const char* unreadable = "it cannot be read as a regular file";
};

PanelControl control_of(const PanelFileControl& item) {
  PanelControl control;
  control.id = item.id;
  control.kind = item.kind;
  control.text = item.text;
  control.label = item.label;
  control.labelled = item.labelled;
  control.maximum = item.maximum;
  control.dimmed = item.dimmed;
  control.interval_ms = item.interval_ms;
  return control;
}

std::vector<RingItem>::const_iterator item_with(const PanelControl& ring, int value) {
  return std::find_if(ring.items.begin(), ring.items.end(),
                      [value](const RingItem& candidate) { return candidate.value == value; });
}

} // namespace

struct PanelModel::State : UserInterface {
  explicit State(PanelView& shown_by) : view(shown_by) {}

  Session& owner = Session::current();
  PanelView& view;
  std::map<int, Panel> panels;
  int next_handle = 1;
  std::vector<std::string> panel_folders;
  bool busy = false;
  bool quit = false;
  std::string load_error;

  Panel* panel(int handle) {
    const auto found = panels.find(handle);
    return found == panels.end() ? nullptr : &found->second;
  }

  PanelControl* control(int handle, int id) {
    Panel* found = panel(handle);
    if (!found) return nullptr;
    const auto control = found->controls.find(id);
    return control == found->controls.end() ? nullptr : &control->second;
  }

  int changed(int handle, const PanelControl& control, Change change) {
    view.control_changed(handle, control, change);
    return 0;
  }

  // What the user can reach: not while a callback runs, nor once quit.
  bool takes_input(const PanelControl* target) const { return !busy && !quit && target && target->callback; }

  bool takes_commit(const PanelControl* target) const { return takes_input(target) && !target->dimmed; }

  bool send(int handle, const PanelControl& target, int event) {
    {
      const ScopedFlag running(busy);
      target.callback(handle, target.id, event, nullptr, 0, 0);
    }
    if (quit) view.stop_running();
    return true;
  }

  bool commit(int handle, PanelControl* target) { return takes_commit(target) && send(handle, *target, EVENT_COMMIT); }

  int fail_load(int error, const std::string& file, const std::string& reason) {
    load_error = file + ": " + reason;
    return error;
  }

  FoundFile find_file(const std::string& name) const;
  int load(const std::string& name, int resource_id);
  int bind(const PanelFile& read, const std::string& file, std::string_view content);
};

// A folder's copy first, else the one built into the program. Only a regular
// file counts: a pipe of that name would hang the start.
FoundFile PanelModel::State::find_file(const std::string& name) const {
  const std::filesystem::path wanted = native::filesystem_path(name);
  for (const std::string& folder : panel_folders) {
    const std::filesystem::path path = (native::filesystem_path(folder) / wanted).make_preferred();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) continue;
    const std::string shown = native::system_name(path);
    return {shown, read_regular_file(shown, kMaxPanelFileBytes)};
  }
  const std::string file_name = native::system_name(wanted.filename());
  if (file_name != kBuiltInPanelFileName) {
    return {file_name, std::nullopt, "no such panel file is built into the program"};
  }
  return {file_name, std::string(built_in_panel_file())};
}

int PanelModel::State::load(const std::string& name, int resource_id) {
  const FoundFile found = find_file(name);
  if (!found.content) {
    return fail_load(UIE_PANEL_FILE_NOT_READABLE, found.path, found.unreadable);
  }
  std::istringstream file(*found.content);
  const PanelFile read = read_panel_file(file, resource_id);
  if (!read.error.empty()) return fail_load(UIE_PANEL_FILE_NOT_VALID, found.path, read.error);
  return bind(read, found.path, *found.content);
}

int PanelModel::State::bind(const PanelFile& read, const std::string& file, std::string_view content) {
  Panel loaded;
  loaded.close_control = read.close_control;
  for (const PanelFileControl& item : read.controls) {
    PanelControl control = control_of(item);
    control.callback = item.callback.empty() ? nullptr : callback_named(item.callback);
    if (!item.callback.empty() && !control.callback) {
      return fail_load(UIE_PANEL_FILE_NOT_VALID, file,
                       "control " + std::to_string(item.id) + " names the unknown callback " + item.callback);
    }
    loaded.controls.emplace(item.id, std::move(control));
  }
  const int handle = next_handle++;
  panels.emplace(handle, std::move(loaded));
  if (const std::string refused = view.build_panel(handle, content); !refused.empty()) {
    panels.erase(handle);
    return fail_load(UIE_PANEL_FILE_NOT_VALID, file, refused);
  }
  return handle;
}

PanelModel::PanelModel(PanelView& view) : state_(std::make_unique<State>(view)) {
  Session& session = state_->owner;
  if (session.user_interface) throw std::logic_error("a second user interface in the run-time session");
  session.user_interface = state_.get();
}

PanelModel::~PanelModel() { state_->owner.user_interface = nullptr; }

void PanelModel::set_panel_folders(std::vector<std::string> folders) { state_->panel_folders = std::move(folders); }

const PanelControl* PanelModel::control(int panel, int id) const { return state_->control(panel, id); }

std::vector<int> PanelModel::control_ids(int panel) const {
  std::vector<int> ids;
  if (const Panel* found = state_->panel(panel)) {
    for (const auto& [id, control] : found->controls) ids.push_back(id);
  }
  return ids;
}

bool PanelModel::press(int panel, int id) { return state_->commit(panel, state_->control(panel, id)); }

bool PanelModel::pick(int panel, int id, int value) {
  PanelControl* ring = state_->control(panel, id);
  if (!state_->takes_commit(ring) || ring->kind != ControlKind::Ring) return false;
  const auto item = item_with(*ring, value);
  if (item == ring->items.end()) return false;
  ring->selected = static_cast<int>(item - ring->items.begin());
  state_->changed(panel, *ring, Change::Value);
  return state_->commit(panel, ring);
}

bool PanelModel::open_ring(int panel, int id) {
  const PanelControl* ring = state_->control(panel, id);
  if (!state_->takes_commit(ring) || ring->kind != ControlKind::Ring) return false;
  return state_->send(panel, *ring, EVENT_RING_OPENING);
}

bool PanelModel::type(int panel, int id, std::string text) {
  PanelControl* box = state_->control(panel, id);
  if (state_->busy || state_->quit || !box || box->dimmed || box->kind != ControlKind::TextBox) return false;
  box->text = std::move(text);
  return true;
}

bool PanelModel::close(int panel) {
  const Panel* found = state_->panel(panel);
  const PanelControl* target = found ? state_->control(panel, found->close_control) : nullptr;
  return state_->takes_input(target) && state_->send(panel, *target, EVENT_COMMIT);
}

bool PanelModel::tick(int panel, int id) {
  const PanelControl* timer = state_->control(panel, id);
  if (!state_->takes_input(timer) || timer->kind != ControlKind::Timer) return false;
  return state_->send(panel, *timer, EVENT_TIMER_TICK);
}

bool PanelModel::callback_running() const { return state_->busy; }

bool PanelModel::quit_requested() const { return state_->quit; }

namespace {

// Only one user interface is linked into a program, so the session's is this one.
PanelModel::State* state() {
  Session* session = Session::active();
  return session ? static_cast<PanelModel::State*>(session->user_interface) : nullptr;
}

PanelControl* find_control(int panel, int control) { return state() ? state()->control(panel, control) : nullptr; }

int set_text(int panel, PanelControl& target, std::string text) {
  target.text = std::move(text);
  return state()->changed(panel, target, Change::Text);
}

} // namespace

} // namespace rt

using rt::ControlKind;
using rt::find_control;
using rt::PanelControl;
using rt::state;

int LoadPanel(int parent, const char* fileName, int resourceId) {
  rt::PanelModel::State* model = state();
  if (!model || parent != 0) return UIE_INVALID_PANEL;
  if (!rt::callbacks_registered()) return UIE_NO_CALLBACKS;
  return model->load(fileName, resourceId);
}

const char* GetUILErrorString(int error) {
  const rt::PanelModel::State* model = state();
  if (model && (error == UIE_PANEL_FILE_NOT_READABLE || error == UIE_PANEL_FILE_NOT_VALID)) {
    return model->load_error.c_str();
  }
  return rt::ui_error_text(error);
}

namespace {

int show_panel(int panel, bool shown) {
  rt::PanelModel::State* model = state();
  if (!model || !model->panel(panel)) return UIE_INVALID_PANEL;
  model->view.panel_shown(panel, shown);
  return 0;
}

} // namespace

int DisplayPanel(int panel) { return show_panel(panel, true); }

int HidePanel(int panel) { return show_panel(panel, false); }

int RunUserInterface() {
  rt::PanelModel::State* model = state();
  if (!model) return UIE_INVALID_PANEL;
  model->quit = false;
  model->view.run();
  return 0;
}

// Inside a callback the loop ends once the callback returns (State::send).
int QuitUserInterface(int) {
  rt::PanelModel::State* model = state();
  if (!model) return UIE_INVALID_PANEL;
  model->quit = true;
  if (!model->busy) model->view.stop_running();
  return 0;
}

int SetCtrlVal(int panel, int control, int value) {
  PanelControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind == ControlKind::Numeric) {
    target->value = value;
    return state()->changed(panel, *target, rt::Change::Value);
  }
  if (target->kind != ControlKind::Ring) return UIE_INVALID_VALUE;
  const auto item = rt::item_with(*target, value);
  if (item == target->items.end()) return 0; // selection unchanged
  target->selected = static_cast<int>(item - target->items.begin());
  return state()->changed(panel, *target, rt::Change::Value);
}

int SetCtrlVal(int panel, int control, const char* text) {
  PanelControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind == ControlKind::TextMessage) return rt::set_text(panel, *target, text);
  if (target->kind == ControlKind::TextBox) return rt::set_text(panel, *target, target->text + text);
  return UIE_INVALID_VALUE;
}

int GetCtrlVal(int panel, int control, int* value) {
  const PanelControl* target = find_control(panel, control);
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
  const PanelControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (bufferSize <= 0) return UIE_INVALID_VALUE;
  const auto length = std::min(target->text.size(), static_cast<std::size_t>(bufferSize - 1));
  std::memcpy(text, target->text.data(), length);
  text[length] = '\0';
  return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
  PanelControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (attribute == ATTR_DIMMED) {
    target->dimmed = value != 0;
    return state()->changed(panel, *target, rt::Change::Dimming);
  }
  if (attribute == ATTR_FILL_COLOR && target->kind == ControlKind::Numeric) {
    target->colour = value & 0xFFFFFF;
    return state()->changed(panel, *target, rt::Change::Colour);
  }
  return UIE_INVALID_ATTRIBUTE;
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* text) {
  PanelControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (attribute != ATTR_LABEL_TEXT || !target->labelled) return UIE_INVALID_ATTRIBUTE;
  target->label = text;
  return state()->changed(panel, *target, rt::Change::Label);
}

int GetCtrlAttribute(int panel, int control, int attribute, int* value) {
  const PanelControl* target = find_control(panel, control);
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

int SetPanelAttribute(int panel, int attribute, const char* text) {
  rt::PanelModel::State* model = state();
  if (!model || !model->panel(panel)) return UIE_INVALID_PANEL;
  if (attribute != ATTR_TITLE) return UIE_INVALID_ATTRIBUTE;
  model->view.title_changed(panel, text);
  return 0;
}

int ResetTextBox(int panel, int control, const char* text) {
  PanelControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind != ControlKind::TextBox) return UIE_INVALID_VALUE;
  return rt::set_text(panel, *target, text);
}

int ClearListCtrl(int panel, int control) {
  PanelControl* target = find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind != ControlKind::Ring) return UIE_INVALID_VALUE;
  target->items.clear();
  target->selected = -1;
  return state()->changed(panel, *target, rt::Change::Items);
}

// As a list box does: the first item becomes the selection, and an item put
// in front of the selected one keeps that one selected.
int InsertListItem(int panel, int control, int index, const char* label, int value) {
  PanelControl* target = find_control(panel, control);
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
  return state()->changed(panel, *target, rt::Change::Items);
}

int SetDialogLanguage(int language) {
  if (language != 0 && language != 1) return UIE_INVALID_VALUE;
  if (state()) state()->view.dialog_language_changed(language);
  return 0;
}

int MessagePopup(const char* title, const char* message) {
  if (state()) state()->view.show_message({title, message});
  return 0;
}

int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec, const char* fileTypeList,
                    const char* title, int buttonLabel, int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char* pathBuffer) {
  pathBuffer[0] = '\0';
  rt::PanelModel::State* model = state();
  if (!model) return VAL_NO_FILE_SELECTED;
  const std::optional<std::string> chosen =
      model->view.choose_file({defaultDirectory, defaultFileSpec, fileTypeList, title, buttonLabel, restrictDirectory,
                               restrictExtension, allowCancel, allowMakeDirectory});
  if (!chosen) return VAL_NO_FILE_SELECTED;
  // A path too long for the buffer is left empty rather than cut into another
  // path: opening it then fails visibly.
  if (chosen->size() < static_cast<std::size_t>(MAX_PATHNAME_LEN)) {
    std::memcpy(pathBuffer, chosen->c_str(), chosen->size() + 1);
  }
  return VAL_EXISTING_FILE_SELECTED;
}
