// The console's reading of a panel file: the controls the window binds, by
// id, kind, callback name and numeric maximum. Qt Core's XML reader is
// enough, so the console needs no widgets.
#pragma once

#include "console_runtime.h"

#include <QIODevice>
#include <QString>
#include <vector>

namespace rt {

struct PanelFileControl {
  int id = 0;
  ControlKind kind = ControlKind::Button;
  QString callback; // empty: none
  int maximum = 0;  // numeric: the value that means "full"
};

struct PanelFile {
  std::vector<PanelFileControl> controls;
  QString error; // empty when the file holds the panel
};

// The controls of the panel with that resource id. The panel's timer is left
// out: its callback does nothing, and a console has no screen to refresh.
PanelFile read_panel_file(QIODevice& file, int resource_id);

} // namespace rt
