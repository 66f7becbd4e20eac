#include "panel_file.h"

#include "panel_document.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

namespace rt {
namespace {

using ptree = PanelTree;

constexpr int kProgressBarMaximum = 100; // a progress bar's own when the file names none

// A widget element while its children are read.
struct FileWidget {
  std::string widget_class;
  std::string name;
  std::optional<int> id;
  std::string callback;
  std::optional<int> maximum;
  std::optional<int> resource_id; // the panel itself
  std::optional<int> close_control;
  std::optional<int> timer_interval;
  std::string text;
  std::string buddy; // a label's: the name of the widget it names
  bool enabled = true;
};

// A label that names another widget, resolved once every widget is read.
struct BuddyLabel {
  std::string buddy;
  std::string text;
};

struct Reading {
  PanelFile panel;
  std::set<int> ids;
  std::map<std::string, std::size_t> control_by_name;
  std::vector<BuddyLabel> labels;
  std::optional<int> resource_id;

  void fail(const std::string& reason) {
    if (panel.error.empty()) panel.error = reason;
  }
};

// As a form reader takes a number: blanks around it allowed, anything else 0.
int number_of(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return 0;
  text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
  if (text.starts_with('+')) text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

void take_property(const ptree& property, FileWidget& widget) {
  // The value is the property's first element: <number>, <string>, ...
  const auto value_element = std::find_if(property.begin(), property.end(),
                                          [](const ptree::value_type& child) { return child.first != kAttributes; });
  if (value_element == property.end()) return; // a property without a value
  const std::string name = attribute(property, "name");
  const std::string& value = value_element->second.data();
  if (name == "ctrlId")
    widget.id = number_of(value);
  else if (name == "callback")
    widget.callback = value;
  else if (name == "maximum")
    widget.maximum = number_of(value);
  else if (name == "resourceId")
    widget.resource_id = number_of(value);
  else if (name == "closeCtrl")
    widget.close_control = number_of(value);
  else if (name == "timerInterval")
    widget.timer_interval = number_of(value);
  else if (name == "text" || name == "plainText")
    widget.text = value;
  else if (name == "buddy")
    widget.buddy = value;
  else if (name == "enabled")
    widget.enabled = value != "false";
}

void add_control(Reading& reading, const FileWidget& widget) {
  const int id = *widget.id;
  if (id <= 0 || !reading.ids.insert(id).second) {
    return reading.fail("control id " + std::to_string(id) + " is not unique and positive");
  }
  const std::optional<ControlKind> kind =
      widget.timer_interval ? std::optional(ControlKind::Timer) : control_kind_of(widget.widget_class);
  if (!kind) return reading.fail("control " + std::to_string(id) + " is of an unknown kind");
  PanelFileControl control;
  control.id = id;
  control.kind = *kind;
  control.callback = widget.callback;
  control.dimmed = !widget.enabled;
  if (*kind == ControlKind::Numeric) control.maximum = widget.maximum.value_or(kProgressBarMaximum);
  if (*kind == ControlKind::TextMessage || *kind == ControlKind::TextBox) control.text = widget.text;
  if (*kind == ControlKind::Button) {
    control.label = widget.text;
    control.labelled = true;
  }
  if (*kind == ControlKind::Timer) control.interval_ms = *widget.timer_interval;
  if (!widget.name.empty()) reading.control_by_name[widget.name] = reading.panel.controls.size();
  reading.panel.controls.push_back(std::move(control));
}

void read_widget(const ptree& element, Reading& reading);

// A property belongs to the widget whose element holds it directly; those of
// layouts, items and spacers are no widget's.
void read_children(const ptree& element, Reading& reading, FileWidget* owner) {
  for (const auto& [name, child] : element) {
    if (name == kAttributes) continue;
    if (name == "widget")
      read_widget(child, reading);
    else if (name == "property" && owner)
      take_property(child, *owner);
    else
      read_children(child, reading, nullptr);
  }
}

void read_widget(const ptree& element, Reading& reading) {
  FileWidget widget;
  widget.widget_class = attribute(element, "class");
  widget.name = attribute(element, "name");
  read_children(element, reading, &widget);
  if (widget.resource_id && !reading.resource_id) {
    reading.resource_id = widget.resource_id;
    reading.panel.close_control = widget.close_control.value_or(0);
  }
  if (widget.id) add_control(reading, widget);
  if (!widget.buddy.empty()) reading.labels.push_back({widget.buddy, widget.text});
}

void give_labels(Reading& reading) {
  for (const BuddyLabel& label : reading.labels) {
    const auto named = reading.control_by_name.find(label.buddy);
    if (named == reading.control_by_name.end()) continue;
    PanelFileControl& control = reading.panel.controls[named->second];
    control.label = label.text;
    control.labelled = true;
  }
}

PanelFile failed(const std::string& reason) {
  PanelFile refused;
  refused.error = reason;
  return refused;
}

} // namespace

std::optional<ControlKind> control_kind_of(std::string_view widget_class) {
  static const std::map<std::string, ControlKind, std::less<>> kinds = {
      {"QPushButton", ControlKind::Button},   {"QLabel", ControlKind::TextMessage},
      {"QLineEdit", ControlKind::TextBox},    {"QPlainTextEdit", ControlKind::TextBox},
      {"QProgressBar", ControlKind::Numeric}, {"QComboBox", ControlKind::Ring}};
  const auto found = kinds.find(widget_class);
  return found == kinds.end() ? std::nullopt : std::optional(found->second);
}

PanelFile read_panel_file(std::istream& file, int resource_id) {
  const PanelDocument document = read_panel_document(file);
  if (!document.error.empty()) return failed(document.error);
  Reading reading;
  // The root, <ui>, and its children; what follows the root is no panel's.
  if (!document.tree.empty()) read_children(document.tree.front().second, reading, nullptr);
  if (reading.resource_id != resource_id) return failed("it holds no panel " + std::to_string(resource_id));
  if (!reading.panel.error.empty()) return failed(reading.panel.error);
  give_labels(reading);
  return reading.panel;
}

} // namespace rt
