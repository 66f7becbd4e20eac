// A firmware update as a user of the window does it: language, port,
// connect, load, program, each by committing the panel's controls.
#pragma once

#include "options.h"
#include "program_run.h"
#include "texts.h"

namespace cli {

struct UpdateRequest {
  Language language;
  QString port; // as --port gave it; empty: the panel's selection
  QString file; // absolute
};

ExitStatus update(const PanelUser& user, const UpdateRequest& request, LiveOutput& output,
                  const Texts& texts);

} // namespace cli
