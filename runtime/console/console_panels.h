// The console's counterpart of the panel files: which controls each panel
// has, of what kind, and the name of the callback each one fires.
#pragma once

#include "console_runtime.h"

#include <span>

namespace rt {

struct ControlDefinition {
  int id;
  ControlKind kind;
  const char* callback; // nullptr: none
  int maximum;          // numeric: the value that means "full"
};

struct PanelDefinition {
  const char* file_name; // the panel file the window would load
  int resource_id;
  std::span<const ControlDefinition> controls;
};

extern const std::span<const PanelDefinition> console_panels;

} // namespace rt
