// The run-time's state for one run of the program, in one owner: the open
// serial lines, the port list, the callbacks the program handed over, the
// user interface and how it waits. The program's entry point (or a test)
// creates the session before anything else of the run-time, and exactly one
// lives at a time.
#pragma once

#include "idle.h"
#include "memory_files.h"
#include "port_scan.h"
#include "serial_lines.h"
#include "userint.h"

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>

namespace rt {

namespace testing {
class DialogScript;
}

// The state of a user-interface implementation (window or console); only
// one of them is linked into a program.
class UserInterface {
public:
  virtual ~UserInterface() = default;
};

class Session {
public:
  // std::logic_error while another session lives.
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The living session, or nullptr.
  static Session* active();
  // The living session; std::logic_error when none lives.
  static Session& current();

  SerialLines serial;
  PortScan ports;
  std::optional<std::span<const CallbackBinding>> callbacks; // none before RegisterCallbacks
  UserInterface* user_interface = nullptr;
  IdleHandler* idle_handler = nullptr;            // nullptr: plain waiting
  testing::DialogScript* dialog_script = nullptr; // nullptr: a person answers
  std::string file_folder;                        // where the system's plain file names live; empty: the current folder
  std::map<std::string, MemoryFile, std::less<>> memory_files; // the system's names kept in memory, not on disk
  double time_scale = 1.0; // factor on the protocol's waits: tests that do not check timing shorten them
};

} // namespace rt
