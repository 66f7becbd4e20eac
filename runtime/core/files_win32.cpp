// Files on Windows: the system names them in UTF-8, which Windows wants wide.
#include "native_files.h"
#include "wide_text.h"

#include <fcntl.h>
#include <io.h>
#include <sys/types.h> // before sys/stat.h, as the Windows C library wants

#include <sys/stat.h>
#include <windows.h>
#include <string>

#include <knownfolders.h>
#include <shlobj.h>

namespace rt::native {
namespace {

HANDLE handle_of(TraceFile file) { return reinterpret_cast<HANDLE>(file.handle); }

// Every byte written; a full disk shows here.
bool write_all(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

std::string with_platform_line_ends(std::string_view text) {
  std::string content;
  content.reserve(text.size());
  for (char c : text) {
    if (c == '\n') content += '\r';
    content += c;
  }
  return content;
}

// A new file beside the file, made by this call alone (CREATE_NEW).
HANDLE create_temporary(const std::filesystem::path& path, std::wstring& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = path.wstring() + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(attempt);
    const HANDLE file =
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

// Without room for a temporary file beside it (a read-only folder), the file
// is overwritten without being truncated first: the few bytes of settings
// fit the clusters the old content already holds.
bool overwrite_in_place(const std::filesystem::path& path, std::string_view text) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = write_all(file, text) && SetEndOfFile(file) && FlushFileBuffers(file);
  return CloseHandle(file) && written;
}

} // namespace

std::filesystem::path filesystem_path(const std::string& path) { return wide_from_utf8(path); }

std::string system_name(const std::filesystem::path& path) { return utf8_from_wide(path.native()); }

bool readable(const std::filesystem::path& path) { return _waccess(path.c_str(), 4) == 0; }

// Opening a pipe or a device does not wait on Windows; only reading would.
std::FILE* open_regular_file(const std::filesystem::path& path, long long max_bytes) {
  const int fd = _wopen(path.c_str(), _O_RDONLY | _O_TEXT | _O_NOINHERIT);
  if (fd == -1) return nullptr;
  struct _stat64 status;
  const bool regular =
      _fstat64(fd, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG && status.st_size <= max_bytes;
  std::FILE* file = regular ? _fdopen(fd, "r") : nullptr;
  if (!file) _close(fd);
  return file;
}

bool replace_text_file(const std::filesystem::path& path, std::string_view text) {
  const std::string content = with_platform_line_ends(text);
  std::wstring temporary;
  const HANDLE file = create_temporary(path, temporary);
  if (file == INVALID_HANDLE_VALUE) return overwrite_in_place(path, content);
  // Until the move the old file stays whole; a failed write leaves no temporary file behind.
  const bool written = write_all(file, content) && FlushFileBuffers(file);
  if (CloseHandle(file) && written &&
      MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileW(temporary.c_str());
  return false;
}

// Windows has no stream over memory. Its tmpfile() makes the file in the
// drive's root folder, which a user may not write; this one is in the user's
// temporary folder and goes when it is closed.
std::FILE* empty_stream(std::size_t) {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"kvf", 0, name) == 0) return nullptr;
  std::FILE* stream = _wfopen(name, L"w+bTD");
  if (!stream) DeleteFileW(name);
  return stream;
}

std::filesystem::path configuration_folder() {
  PWSTR folder = nullptr;
  std::filesystem::path found;
  if (SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &folder) == S_OK) found = folder;
  CoTaskMemFree(folder);
  return found;
}

// Opening a pipe or a device does not wait on Windows.
TraceFile open_trace(const std::filesystem::path& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  return {file == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(file)};
}

bool is_regular(TraceFile file) { return GetFileType(handle_of(file)) == FILE_TYPE_DISK; }

// The file opened against the file the other name leads to: volume and file index.
bool is_same_file(TraceFile file, const std::string& other) {
  const HANDLE named =
      CreateFileW(wide_from_utf8(other).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION opened_info;
  BY_HANDLE_FILE_INFORMATION named_info;
  const bool same =
      GetFileInformationByHandle(handle_of(file), &opened_info) && GetFileInformationByHandle(named, &named_info) &&
      opened_info.dwVolumeSerialNumber == named_info.dwVolumeSerialNumber &&
      opened_info.nFileIndexHigh == named_info.nFileIndexHigh && opened_info.nFileIndexLow == named_info.nFileIndexLow;
  CloseHandle(named);
  return same;
}

bool empty(TraceFile file) {
  LARGE_INTEGER start{};
  return SetFilePointerEx(handle_of(file), start, nullptr, FILE_BEGIN) && SetEndOfFile(handle_of(file));
}

bool write_line(TraceFile file, std::string_view line) {
  return write_all(handle_of(file), with_platform_line_ends(line));
}

void close_trace(TraceFile file) { CloseHandle(handle_of(file)); }

} // namespace rt::native
