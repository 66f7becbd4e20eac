// Files on POSIX: a name is bytes and reaches the system as the user gave it.
#include "native_files.h"
#include "system_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace rt::native {
namespace {

int descriptor(TraceFile file) { return static_cast<int>(file.handle); }

// Every byte written, whatever a signal or a short write interrupted; a full disk shows here.
bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The file a link leads to is the one replaced, so the link stays a link.
std::filesystem::path final_file(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path target = std::filesystem::canonical(path, error);
  return error ? path : target;
}

// A new name beside the file, made by this call alone (O_EXCL), with the
// file's permissions or, for a new file, those the user's umask gives.
int create_temporary(const std::filesystem::path& path, std::string& name, const struct stat* existing) {
  const mode_t mode = existing ? existing->st_mode & 07777 : 0666;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = path.string() + ".tmp" + std::to_string(getpid()) + "." + std::to_string(attempt);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
    if (fd != -1) {
      if (existing) fchmod(fd, mode);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// Without room for a temporary file beside it (a read-only folder, no free
// inode), the file is overwritten without being truncated first: the few
// bytes of settings fit the blocks the old content already holds.
bool overwrite_in_place(const std::filesystem::path& path, std::string_view text) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd == -1) return false;
  const bool written = write_all(fd, text) && ftruncate(fd, static_cast<off_t>(text.size())) == 0 && fsync(fd) == 0;
  return ::close(fd) == 0 && written;
}

} // namespace

std::filesystem::path filesystem_path(const std::string& path) { return path; }

std::string system_name(const std::filesystem::path& path) { return path.string(); }

bool readable(const std::filesystem::path& path) { return access(path.c_str(), R_OK) == 0; }

std::FILE* open_regular_file(const std::filesystem::path& path, long long max_bytes) {
  // Without O_NONBLOCK, opening a FIFO waits for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd == -1) return nullptr;
  struct stat status;
  const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= max_bytes;
  // Reads of a regular file never wait anyway; the stream gets an ordinary descriptor.
  const int flags = regular ? fcntl(fd, F_GETFL) : -1;
  std::FILE* file = flags != -1 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != -1 ? fdopen(fd, "r") : nullptr;
  if (!file) ::close(fd);
  return file;
}

bool replace_text_file(const std::filesystem::path& path, std::string_view text) {
  const std::filesystem::path target = final_file(path);
  struct stat existing;
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (exists && access(target.c_str(), W_OK) != 0) return false;
  std::string temporary;
  const int fd = create_temporary(target, temporary, exists ? &existing : nullptr);
  if (fd == -1) return exists && overwrite_in_place(target, text);
  // Until the rename the old file stays whole; a failed write leaves no temporary file behind.
  const bool written = write_all(fd, text) && fsync(fd) == 0;
  if (::close(fd) == 0 && written && std::rename(temporary.c_str(), target.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

// A buffer of the stream's own (one byte more for the null fmemopen adds), so
// the stream outlives any later replace.
std::FILE* empty_stream(std::size_t bytes) { return fmemopen(nullptr, bytes + 1, "w+"); }

#ifdef __APPLE__
std::filesystem::path configuration_folder() {
  const std::string home = environment_variable("HOME");
  return home.empty() ? std::filesystem::path() : std::filesystem::path(home) / "Library/Preferences";
}
#else
// The XDG rule: a relative XDG_CONFIG_HOME is ignored, as it would put the
// settings in whatever folder a run starts in.
std::filesystem::path configuration_folder() {
  const std::filesystem::path named = environment_variable("XDG_CONFIG_HOME");
  if (named.is_absolute()) return named;
  const std::string home = environment_variable("HOME");
  return home.empty() ? std::filesystem::path() : std::filesystem::path(home) / ".config";
}
#endif

TraceFile open_trace(const std::filesystem::path& path) {
  // Without O_NONBLOCK, opening a FIFO waits for a reader.
  return {::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666)};
}

bool is_regular(TraceFile file) {
  struct stat status;
  return fstat(descriptor(file), &status) == 0 && S_ISREG(status.st_mode);
}

// The file opened against the file the other name leads to: device and inode.
bool is_same_file(TraceFile file, const std::string& other) {
  struct stat opened;
  struct stat named;
  return fstat(descriptor(file), &opened) == 0 && stat(other.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
         opened.st_ino == named.st_ino;
}

bool empty(TraceFile file) { return ftruncate(descriptor(file), 0) == 0; }

bool write_line(TraceFile file, std::string_view line) { return write_all(descriptor(file), line); }

void close_trace(TraceFile file) { ::close(descriptor(file)); }

} // namespace rt::native
