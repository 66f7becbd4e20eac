#include "child_process.h"

#include "wide_text.h"

#include "windows_api.h"

namespace rt {

// The file itself, opened for reading and shared for reading alone: while it
// is held no one can write, move or delete it, and every copy reads the bytes
// this program checked. A file someone holds open for writing cannot be held.
std::optional<SharedFileCopy> SharedFileCopy::of(const std::string& file, long long most_bytes) {
  const HANDLE held = CreateFileW(wide_from_utf8(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return std::nullopt;
  SharedFileCopy copy(reinterpret_cast<std::intptr_t>(held), file);
  LARGE_INTEGER size{};
  if (GetFileType(held) != FILE_TYPE_DISK || !GetFileSizeEx(held, &size) || size.QuadPart > most_bytes) {
    return std::nullopt;
  }
  return copy;
}

SharedFileCopy::~SharedFileCopy() {
  if (held_ != -1) CloseHandle(reinterpret_cast<HANDLE>(held_));
}

} // namespace rt
