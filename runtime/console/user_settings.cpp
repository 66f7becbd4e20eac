#include "user_settings.h"

#include "files.h"
#include "native_files.h"
#include "session.h"
#include "utility.h"

#include <filesystem>
#include <system_error>

namespace rt {

UserSettings read_user_settings(const std::string& path, long long max_bytes) {
  if (auto content = read_regular_file(path, max_bytes)) return {SettingsFound::Read, std::move(*content)};
  return {FileExists(path.c_str()) ? SettingsFound::Unreadable : SettingsFound::Nothing, {}};
}

void keep_settings_in_memory(const char* system_name, const UserSettings& settings) {
  std::optional<std::string> content;
  if (settings.found == SettingsFound::Read) content = settings.content;
  Session::current().memory_files.insert_or_assign(system_name, MemoryFile(content));
}

std::optional<std::string> settings_in_memory(const char* system_name) {
  const MemoryFile* kept = kept_in_memory(system_name);
  return kept ? kept->content() : std::nullopt;
}

bool store_user_settings(const std::string& path, const std::string& content) {
  std::error_code error;
  const std::filesystem::path file = std::filesystem::absolute(native::filesystem_path(path), error);
  if (error) return false;
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) return false;
  return ReplaceTextFile(path.c_str(), content.data(), content.size()) == 0;
}

} // namespace rt
