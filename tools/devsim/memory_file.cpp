#include "memory_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "posix_fd.h"

namespace kovo::devsim {

namespace {

void writeAll(int fd, ByteView contents, const std::string& path) {
  while (!contents.empty()) {
    const ssize_t written = ::write(fd, contents.data(), contents.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) throwLastError("writing " + path);
    contents = contents.subspan(static_cast<std::size_t>(written));
  }
}

} // namespace

void writeFileAtomically(const std::string& path, ByteView contents) {
  const std::string temporary = path + ".tmp";
  {
    const UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd) throwLastError("creating " + temporary);
    writeAll(fd.get(), contents, temporary);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) throwLastError("renaming " + temporary);
}

} // namespace kovo::devsim
