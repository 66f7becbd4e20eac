// A firmware update as a user of the window does it: language, port,
// connect, load, program, each by committing the panel's controls.
#pragma once

#include "checked_firmware.h"
#include "kept_settings.h"
#include "options.h"
#include "program_run.h"
#include "texts.h"

namespace cli {

struct UpdateRequest {
  Language language;
  std::string port; // as --port gave it; empty: the panel's selection
  const CheckedFirmware& firmware;
};

// The system stores the port at start-up and at every change of language or
// port; only a port where a device answered may become the remembered one, so
// the settings are stored at the end only after a connect where one did.
ExitStatus update(const PanelUser& user, const UpdateRequest& request, LiveOutput& output, const Texts& texts,
                  KeptSettings& settings);

} // namespace cli
