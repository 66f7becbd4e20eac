// The panel file's reading without widgets: the panel's controls by id, kind,
// callback name and what the file sets on them. An XML reader is enough, so
// no view needs a toolkit to know the panel; a view that draws with one may
// still build its look from the same file.
#pragma once

#include "panel_model.h"

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

struct PanelFileControl {
  int id = 0;
  ControlKind kind = ControlKind::Button;
  std::string callback; // empty: none
  int maximum = 0;      // numeric: the value that means "full"
  std::string text;     // text message or text box: the file's text
  std::string label;    // a button's text, or that of the label naming the control as its buddy
  bool labelled = false;
  bool dimmed = false;
  int interval_ms = 0; // timer
};

struct PanelFile {
  std::vector<PanelFileControl> controls;
  int close_control = 0; // the control the window's close box commits; 0: none
  std::string error;     // empty when the file holds the panel
};

// The controls of the panel with that resource id.
PanelFile read_panel_file(std::istream& file, int resource_id);

// The one mapping from the file's widget classes to control kinds; nullopt
// for a class no control may have. A widget with a timer interval is a Timer
// whatever its class.
std::optional<ControlKind> control_kind_of(std::string_view widget_class);

// The panel file built into the program, used when no folder holds one: its
// name, and its content.
inline constexpr char kBuiltInPanelFileName[] = "24GHz_prog.uir";
std::string_view built_in_panel_file();

} // namespace rt
