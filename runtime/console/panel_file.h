// The console's reading of a panel file: the controls the window binds, by
// id, kind, callback name and numeric maximum. An XML reader is enough, so
// the console needs no widgets.
#pragma once

#include "console_runtime.h"

#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

struct PanelFileControl {
  int id = 0;
  ControlKind kind = ControlKind::Button;
  std::string callback; // empty: none
  int maximum = 0;      // numeric: the value that means "full"
};

struct PanelFile {
  std::vector<PanelFileControl> controls;
  std::string error; // empty when the file holds the panel
};

// The controls of the panel with that resource id. The panel's timer is left
// out: its callback does nothing, and a console has no screen to refresh.
PanelFile read_panel_file(std::istream& file, int resource_id);

// The panel file built into the program, the one the window falls back on:
// its name, and its content.
inline constexpr char kBuiltInPanelFileName[] = "24GHz_prog.uir";
std::string_view built_in_panel_file();

} // namespace rt
