#include "line_trace.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace rt {
namespace {

// A path that names something other than a regular file, such as a pipe with
// no reader, which cannot even be opened without waiting.
bool names_other_than_regular_file(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

} // namespace

LineTrace::LineTrace(const std::string& path, const std::vector<std::string>& guarded)
    : opening_(open(path, guarded)), start_(Clock::now()) {}

LineTrace::~LineTrace() {
  if (opening_ == TraceOpening::Open) native::close_trace(file_);
}

TraceOpening LineTrace::open(const std::string& path, const std::vector<std::string>& guarded) {
  const std::filesystem::path name = native::filesystem_path(path);
  const native::TraceFile file = native::open_trace(name);
  if (file.handle == -1) {
    return names_other_than_regular_file(name) ? TraceOpening::NotRegularFile : TraceOpening::CannotOpen;
  }
  const TraceOpening found = what_is_opened(file, guarded);
  if (found == TraceOpening::Open && native::empty(file)) {
    file_ = file;
    return TraceOpening::Open;
  }
  native::close_trace(file);
  return found == TraceOpening::Open ? TraceOpening::CannotOpen : found;
}

// Open when the file may be emptied and written.
TraceOpening LineTrace::what_is_opened(native::TraceFile file, const std::vector<std::string>& guarded) {
  for (std::size_t index = 0; index < guarded.size(); ++index) {
    if (!native::is_same_file(file, guarded[index])) continue;
    guarded_index_ = index;
    return TraceOpening::Guarded;
  }
  return native::is_regular(file) ? TraceOpening::Open : TraceOpening::NotRegularFile;
}

void LineTrace::sent(const std::string& port, int attempt, std::span<const unsigned char> bytes) {
  write(port, attempt, "sent", bytes, {});
}

void LineTrace::received(const std::string& port, int attempt, std::span<const unsigned char> bytes, int expected) {
  const bool short_read = static_cast<int>(bytes.size()) < expected;
  write(port, attempt, "received", bytes,
        short_read ? " (" + std::to_string(bytes.size()) + " of " + std::to_string(expected) + " bytes)" : "");
}

void LineTrace::write(const std::string& port, int attempt, const char* direction, std::span<const unsigned char> bytes,
                      const std::string& tail) {
  if (opening_ != TraceOpening::Open) {
    complete_ = false;
    return;
  }
  const auto since_start = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_);
  std::string line = std::to_string(since_start.count()) + ' ' + port + ' ' + std::to_string(attempt) + ' ' + direction;
  for (unsigned char byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", byte);
    line += hex;
  }
  line += tail + '\n';
  // Written line by line, unbuffered: a trace is wanted most from a run that ends badly.
  complete_ = native::write_line(file_, line) && complete_;
}

} // namespace rt
