// The user's settings file as the command line uses it: read once, safely,
// before the run, into the copy the system works on in memory; written at
// most once, after it.
#pragma once

#include <optional>
#include <string>

namespace rt {

enum class SettingsFound {
  Nothing,    // no file: the system starts from its defaults
  Read,       // the content was read whole
  Unreadable, // something is there that cannot be read: never to be replaced
};

struct UserSettings {
  SettingsFound found = SettingsFound::Nothing;
  std::string content; // when Read
};

// Reads the file as the firmware file is read: a regular file only (links
// followed) of at most max_bytes, never waiting for a writer (a pipe).
UserSettings read_user_settings(const std::string& path, long long max_bytes);

// From now on the system's settings file (its own name for it) is the copy
// in memory, holding what was read, or no file when nothing was. Needs a
// living session.
void keep_settings_in_memory(const char* system_name, const UserSettings& settings);

// What the system's copy in memory holds at last; none when it wrote none.
std::optional<std::string> settings_in_memory(const char* system_name);

// Writes content to path all or nothing, making its folder first. False
// when it was not written.
bool store_user_settings(const std::string& path, const std::string& content);

} // namespace rt
