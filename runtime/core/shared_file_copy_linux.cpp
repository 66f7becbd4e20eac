#include "child_process.h"

#include "utility.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace rt {
namespace {

constexpr char kCopyName[] = "kovoflash-shared-copy"; // shown in /proc/PID/fd, nowhere else
constexpr unsigned kCopySeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;

bool write_all(int descriptor, const char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t written = write(descriptor, bytes, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

// False when the file holds more than most_bytes or the copy cannot take it.
bool copied(std::FILE* file, int descriptor, long long most_bytes) {
  char buffer[1 << 16];
  long long count = 0;
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    count += static_cast<long long>(got);
    if (count > most_bytes || !write_all(descriptor, buffer, got)) return false;
  }
  return !std::ferror(file);
}

} // namespace

// Read as Load reads it. The copy is not closed on exec: the copies inherit it.
std::optional<SharedFileCopy> SharedFileCopy::of(const std::string& file, long long most_bytes) {
  std::FILE* opened = OpenRegularFile(file.c_str(), most_bytes);
  if (!opened) return std::nullopt;
  const int descriptor = memfd_create(kCopyName, MFD_ALLOW_SEALING);
  if (descriptor < 0) {
    std::fclose(opened);
    return std::nullopt;
  }
  SharedFileCopy copy(descriptor, "/dev/fd/" + std::to_string(descriptor));
  const bool whole = copied(opened, descriptor, most_bytes);
  std::fclose(opened);
  if (!whole || fcntl(descriptor, F_ADD_SEALS, kCopySeals) != 0) return std::nullopt;
  return copy;
}

SharedFileCopy::~SharedFileCopy() {
  if (held_ >= 0) close(static_cast<int>(held_));
}

} // namespace rt
