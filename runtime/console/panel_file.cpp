#include "panel_file.h"

#include <algorithm>
#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>
#include <charconv>
#include <map>
#include <optional>
#include <set>

namespace rt {
namespace {

using boost::property_tree::ptree;

constexpr int kProgressBarMaximum = 100;    // QProgressBar's own when the file names none
constexpr char kAttributes[] = "<xmlattr>"; // where the XML reader puts an element's attributes

// A widget element while its children are read.
struct FileWidget {
  std::string widget_class;
  std::optional<int> id;
  std::string callback;
  std::optional<int> maximum;
  std::optional<int> resource_id; // the panel itself
  bool timer = false;
};

struct Reading {
  PanelFile panel;
  std::set<int> ids;
  std::optional<int> resource_id;

  void fail(const std::string& reason) {
    if (panel.error.empty()) panel.error = reason;
  }
};

// The kinds as the window tells them from the widget's class.
std::optional<ControlKind> kind_of(const std::string& widget_class) {
  static const std::map<std::string, ControlKind, std::less<>> kinds = {
      {"QPushButton", ControlKind::Button},   {"QLabel", ControlKind::TextMessage},
      {"QLineEdit", ControlKind::TextBox},    {"QPlainTextEdit", ControlKind::TextBox},
      {"QProgressBar", ControlKind::Numeric}, {"QComboBox", ControlKind::Ring}};
  const auto found = kinds.find(widget_class);
  return found == kinds.end() ? std::nullopt : std::optional(found->second);
}

// As the window reads a number: blanks around it allowed, anything else 0.
int number_of(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return 0;
  text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
  if (text.starts_with('+')) text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

std::string attribute(const ptree& element, const char* name) {
  return element.get(ptree::path_type(std::string(kAttributes) + '/' + name, '/'), std::string());
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
  else if (name == "timerInterval")
    widget.timer = true;
}

void add_control(Reading& reading, const FileWidget& widget) {
  const int id = *widget.id;
  if (id <= 0 || !reading.ids.insert(id).second) {
    return reading.fail("control id " + std::to_string(id) + " is not unique and positive");
  }
  if (widget.timer) return;
  const std::optional<ControlKind> kind = kind_of(widget.widget_class);
  if (!kind) return reading.fail("control " + std::to_string(id) + " is of an unknown kind");
  const int maximum = *kind == ControlKind::Numeric ? widget.maximum.value_or(kProgressBarMaximum) : 0;
  reading.panel.controls.push_back({id, *kind, widget.callback, maximum});
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
  read_children(element, reading, &widget);
  if (widget.resource_id && !reading.resource_id) reading.resource_id = widget.resource_id;
  if (widget.id) add_control(reading, widget);
}

} // namespace

PanelFile read_panel_file(std::istream& file, int resource_id) {
  ptree document;
  try {
    boost::property_tree::read_xml(file, document, boost::property_tree::xml_parser::no_comments);
  } catch (const boost::property_tree::xml_parser_error& error) {
    return {{}, "line " + std::to_string(error.line()) + ": " + error.message()};
  }
  Reading reading;
  // The root, <ui>, and its children; what follows the root is no panel's.
  if (!document.empty()) read_children(document.front().second, reading, nullptr);
  if (reading.resource_id != resource_id) return {{}, "it holds no panel " + std::to_string(resource_id)};
  if (!reading.panel.error.empty()) return {{}, reading.panel.error};
  return reading.panel;
}

} // namespace rt
