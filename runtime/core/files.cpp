#include "files.h"
#include "memory_files.h"
#include "session.h"
#include "system_text.h"
#include "utility.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <filesystem>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/types.h> // before sys/stat.h, as the Windows C library wants
#include <string>

#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr char kSettingsFolderName[] = "KovoFlash";

// The session's chosen folder for relative names; empty: the current folder.
QString chosen_folder() {
  const rt::Session* session = rt::Session::active();
  return session ? session->file_folder : QString();
}

// A relative name lies in the session's chosen folder; an absolute one stays as it is.
QString resolved(const char* path) {
  const QString name = rt::from_system_text(path);
  return chosen_folder().isEmpty() ? name : QDir(chosen_folder()).filePath(name);
}

// The system names files in UTF-8 on Windows, which wants them wide; on
// POSIX a name is bytes and reaches the system as the user gave it.
#ifdef _WIN32
std::wstring native_path(const char* path) { return resolved(path).toStdWString(); }

std::filesystem::path native_filesystem_path(const char* path) { return native_path(path); }

std::filesystem::path filesystem_path(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string system_name(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

bool readable(const std::filesystem::path& path) { return _waccess(path.c_str(), 4) == 0; }

// Opening a pipe or a device does not wait on Windows; only reading would.
int open_without_waiting(const char* path) {
  return _wopen(native_path(path).c_str(), _O_RDONLY | _O_TEXT | _O_NOINHERIT);
}

bool is_regular_within(int fd, long long maxBytes) {
  struct _stat64 status;
  return _fstat64(fd, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG && status.st_size <= maxBytes;
}

std::FILE* stream_for(int fd) { return _fdopen(fd, "r"); }

void close_descriptor(int fd) { _close(fd); }
#else
QByteArray native_path(const char* path) {
  if (path[0] == '/' || chosen_folder().isEmpty()) return QByteArray(path);
  return QFile::encodeName(chosen_folder()) + '/' + path;
}

std::filesystem::path filesystem_path(const std::string& path) { return path; }

std::filesystem::path native_filesystem_path(const char* path) { return native_path(path).toStdString(); }

std::string system_name(const std::filesystem::path& path) { return path.string(); }

bool readable(const std::filesystem::path& path) { return access(path.c_str(), R_OK) == 0; }

// Without O_NONBLOCK, opening a FIFO waits for a writer.
int open_without_waiting(const char* path) {
  return open(native_path(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

bool is_regular_within(int fd, long long maxBytes) {
  struct stat status;
  return fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= maxBytes;
}

// Reads of a regular file never wait anyway; the stream gets an ordinary descriptor.
std::FILE* stream_for(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) return nullptr;
  return fdopen(fd, "r");
}

void close_descriptor(int fd) { close(fd); }
#endif

} // namespace

std::FILE* OpenRegularFile(const char* path, long long maxBytes) {
  if (const rt::MemoryFile* kept = rt::kept_in_memory(path)) {
    return kept->content() && static_cast<long long>(kept->content()->size()) <= maxBytes ? kept->open() : nullptr;
  }
  const int fd = open_without_waiting(path);
  if (fd == -1) return nullptr;
  std::FILE* file = is_regular_within(fd, maxBytes) ? stream_for(fd) : nullptr;
  if (!file) close_descriptor(fd);
  return file;
}

int FileExists(const char* path) {
  if (const rt::MemoryFile* kept = rt::kept_in_memory(path)) return kept->content().has_value();
  std::error_code error;
  return std::filesystem::symlink_status(native_filesystem_path(path), error).type() !=
         std::filesystem::file_type::not_found;
}

namespace {

QByteArray with_platform_line_ends(const char* data, std::size_t length) {
  QByteArray content(data, static_cast<qsizetype>(length));
#ifdef _WIN32
  content.replace("\n", "\r\n");
#endif
  return content;
}

// Every byte written and flushed to the system; a full disk shows here, not later.
bool write_all(QFileDevice& file, const QByteArray& content) {
  return file.write(content) == content.size() && file.flush();
}

// Without room for a temporary file beside it (a read-only folder, no free
// inode), the file is overwritten without being truncated first: the few
// bytes of settings fit the blocks the old content already holds.
int overwrite_in_place(const QString& path, const QByteArray& content) {
  QFile file(path);
  if (!file.exists() || !file.open(QIODevice::ReadWrite)) return -1;
  return write_all(file, content) && file.resize(content.size()) ? 0 : -1;
}

} // namespace

void rt::set_file_folder(const QString& folder) { rt::Session::current().file_folder = folder; }

std::optional<QByteArray> rt::read_regular_file(const QString& path, long long maxBytes) {
  std::FILE* file = OpenRegularFile(to_system_text(path).c_str(), maxBytes);
  if (!file) return std::nullopt;
  QByteArray content;
  char block[4096];
  // A file that grows while it is read is still read no further than the bound.
  for (std::size_t got; content.size() <= maxBytes && (got = std::fread(block, 1, sizeof block, file)) > 0;) {
    content.append(block, static_cast<qsizetype>(got));
  }
  const bool complete = std::ferror(file) == 0 && content.size() <= maxBytes;
  std::fclose(file);
  return complete ? std::optional(content) : std::nullopt;
}

std::optional<std::string> rt::readable_file(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(filesystem_path(path), error);
  if (error || !std::filesystem::is_regular_file(absolute, error) || !readable(absolute)) return std::nullopt;
  // Not cleaned of "." and "..": with a link among the folders, the cleaned path could name another file.
  return system_name(absolute);
}

namespace {

// Qt takes XDG_CONFIG_HOME as it stands; the XDG rule ignores a relative
// value, which would put the settings in whatever folder a run starts in.
QString configuration_folder() {
  const QString named = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (named.isEmpty() || QDir::isAbsolutePath(named)) return named;
  return QDir::home().filePath(QStringLiteral(".config"));
}

} // namespace

QString rt::user_settings_folder() {
  const QString configuration = configuration_folder();
  return configuration.isEmpty() ? QString() : QDir(configuration).filePath(QLatin1String(kSettingsFolderName));
}

bool rt::keep_files_in_user_settings_folder() {
  const QString folder = user_settings_folder();
  if (folder.isEmpty() || !QDir().mkpath(folder)) return false;
  set_file_folder(folder);
  return true;
}

int ReplaceTextFile(const char* path, const char* data, std::size_t length) {
  if (rt::MemoryFile* kept = rt::kept_in_memory(path)) return kept->replace(data, length);
  const QString name = resolved(path);
  const QByteArray content = with_platform_line_ends(data, length);
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly)) return overwrite_in_place(name, content);
  // Uncommitted, the temporary file is removed and the old one stays whole.
  if (!write_all(file, content)) return -1;
  return file.commit() ? 0 : -1;
}
