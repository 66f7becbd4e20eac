// The command line's settings. The system works on a copy in memory for the
// whole run; the user's file is read once, before the run, and written once,
// after it, and only when a device answered in it: a run that found no
// device, or was killed, leaves the file as it was, and a file that could
// not be read is never replaced.
#pragma once

#include "texts.h"

#include <string>

namespace cli {

// Where the command line keeps its settings; empty when the system names no
// configuration folder.
std::string user_settings_file();

enum class SettingsUse {
  Stored,   // the user's settings, stored again after a device answered
  Defaults, // the system's defaults and nothing stored: one port of a workshop run, the port list
};

class KeptSettings {
public:
  // Hands the system its settings for the run (needs a living session); a
  // file that is there but cannot be read is said on standard error.
  KeptSettings(SettingsUse use, const Texts& texts);

  // Whether the settings read name a port: the user's choice of an earlier run.
  bool port_stored() const { return port_stored_; }
  // What the run leaves in the settings is stored when it ends.
  void mark_device_answered() { device_answered_ = true; }
  // At the end of the run: the system's settings to the user's file, once.
  void store() const;

private:
  std::string path_; // empty: nothing is to be stored
  bool device_answered_ = false;
  bool port_stored_ = false;
};

} // namespace cli
