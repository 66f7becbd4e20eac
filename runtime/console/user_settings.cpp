#include "user_settings.h"

#include "session.h"
#include "system_text.h"
#include "utility.h"

#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace rt {
namespace {

// The whole content, or nothing when a read fails or it grew past the bound.
std::optional<std::string> read_all(std::FILE* file, long long max_bytes) {
  std::string content;
  char chunk[4096];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    content.append(chunk, got);
    if (content.size() > static_cast<std::size_t>(max_bytes)) return std::nullopt;
  }
  if (std::ferror(file)) return std::nullopt;
  return content;
}

} // namespace

UserSettings read_user_settings(const QString& path, long long max_bytes) {
  const std::string name = to_system_text(path);
  std::FILE* file = OpenRegularFile(name.c_str(), max_bytes);
  if (!file) return {FileExists(name.c_str()) ? SettingsFound::Unreadable : SettingsFound::Nothing, {}};
  const auto content = read_all(file, max_bytes);
  std::fclose(file);
  if (!content) return {SettingsFound::Unreadable, {}};
  return {SettingsFound::Read, *content};
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
