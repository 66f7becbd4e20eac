#include "user_settings.h"

#include "files.h"
#include "session.h"
#include "system_text.h"
#include "utility.h"

#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace rt {

UserSettings read_user_settings(const QString& path, long long max_bytes) {
  if (const auto content = read_regular_file(path, max_bytes)) return {SettingsFound::Read, content->toStdString()};
  return {FileExists(to_system_text(path).c_str()) ? SettingsFound::Unreadable : SettingsFound::Nothing, {}};
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

bool store_user_settings(const QString& path, const std::string& content) {
  std::error_code error;
  std::filesystem::create_directories(QFileInfo(path).filesystemAbsoluteFilePath().parent_path(), error);
  if (error) return false;
  return ReplaceTextFile(to_system_text(path).c_str(), content.data(), content.size()) == 0;
}

} // namespace rt
