#include "files.h"
#include "memory_files.h"
#include "native_files.h"
#include "session.h"
#include "utility.h"

#include <system_error>

namespace {

constexpr char kSettingsFolderName[] = "KovoFlash";

// A relative name lies in the session's chosen folder; an absolute one stays as it is.
std::filesystem::path resolved(const char* path) {
  const std::filesystem::path name = rt::native::filesystem_path(path);
  const rt::Session* session = rt::Session::active();
  if (!session || session->file_folder.empty()) return name;
  return rt::native::filesystem_path(session->file_folder) / name;
}

} // namespace

std::FILE* OpenRegularFile(const char* path, long long maxBytes) {
  if (const rt::MemoryFile* kept = rt::kept_in_memory(path)) {
    return kept->content() && static_cast<long long>(kept->content()->size()) <= maxBytes ? kept->open() : nullptr;
  }
  return rt::native::open_regular_file(resolved(path), maxBytes);
}

int FileExists(const char* path) {
  if (const rt::MemoryFile* kept = rt::kept_in_memory(path)) return kept->content().has_value();
  std::error_code error;
  return std::filesystem::symlink_status(resolved(path), error).type() != std::filesystem::file_type::not_found;
}

int ReplaceTextFile(const char* path, const char* data, std::size_t length) {
  if (rt::MemoryFile* kept = rt::kept_in_memory(path)) return kept->replace(data, length);
  return rt::native::replace_text_file(resolved(path), std::string_view(data, length)) ? 0 : -1;
}

void rt::set_file_folder(const std::string& folder) { rt::Session::current().file_folder = folder; }

std::optional<std::string> rt::read_regular_file(const std::string& path, long long maxBytes) {
  std::FILE* file = OpenRegularFile(path.c_str(), maxBytes);
  if (!file) return std::nullopt;
  std::string content;
  char block[4096];
  // A file that grows while it is read is still read no further than the bound.
  for (std::size_t got;
       static_cast<long long>(content.size()) <= maxBytes && (got = std::fread(block, 1, sizeof block, file)) > 0;) {
    content.append(block, got);
  }
  const bool complete = std::ferror(file) == 0 && static_cast<long long>(content.size()) <= maxBytes;
  std::fclose(file);
  return complete ? std::optional(content) : std::nullopt;
}

std::optional<std::string> rt::readable_file(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(native::filesystem_path(path), error);
  if (error || !std::filesystem::is_regular_file(absolute, error) || !native::readable(absolute)) return std::nullopt;
  // Not cleaned of "." and "..": with a link among the folders, the cleaned path could name another file.
  return native::system_name(absolute);
}

std::string rt::user_settings_folder() {
  const std::filesystem::path configuration = native::configuration_folder();
  return configuration.empty() ? std::string() : native::system_name(configuration / kSettingsFolderName);
}

bool rt::keep_files_in_user_settings_folder() {
  const std::string folder = user_settings_folder();
  std::error_code error;
  if (folder.empty()) return false;
  std::filesystem::create_directories(native::filesystem_path(folder), error);
  if (error) return false;
  set_file_folder(folder);
  return true;
}
