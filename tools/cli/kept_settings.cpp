#include "kept_settings.h"

#include "files.h"
#include "live_output.h"
#include "text.h"
#include "user_settings.h"
#include "util.h"

namespace cli {

std::string user_settings_file() {
  const std::string folder = rt::user_settings_folder();
  return folder.empty() ? std::string() : folder + '/' + kovo::kSettingsFile;
}

namespace {

// The system takes the first line for the port.
bool names_a_port(const std::string& settings) {
  const std::string first_line = settings.substr(0, settings.find('\n'));
  return first_line.find_first_not_of(" \t\r\v\f") != std::string::npos;
}

} // namespace

KeptSettings::KeptSettings(SettingsUse use, const Texts& texts) {
  rt::UserSettings settings;
  if (use == SettingsUse::Stored) {
    path_ = user_settings_file();
    if (!path_.empty()) settings = rt::read_user_settings(path_, kovo::kMaxSettingsFileBytes);
  }
  if (settings.found == rt::SettingsFound::Unreadable) {
    write_line(stderr, format(texts.settings_unreadable, {path_}));
    path_.clear();
  }
  port_stored_ = settings.found == rt::SettingsFound::Read && names_a_port(settings.content);
  rt::keep_settings_in_memory(kovo::kSettingsFile, settings);
}

void KeptSettings::store() const {
  if (path_.empty() || !device_answered_) return;
  // When the file cannot be written the run's result stands; the old file stays whole.
  if (const auto content = rt::settings_in_memory(kovo::kSettingsFile)) rt::store_user_settings(path_, *content);
}

} // namespace cli
