#include "trace_file.h"

#include "kept_settings.h"
#include "live_output.h"
#include "text.h"

namespace cli {
namespace {

// The files a trace must never be, in the order given to the trace.
enum GuardedFile : std::size_t { kFirmwareFile, kSettingsFile };

const char* refusal(const rt::LineTrace& trace, const Texts& texts) {
  switch (trace.opening()) {
  case rt::TraceOpening::Open: break;
  case rt::TraceOpening::CannotOpen: return texts.trace_unwritable;
  case rt::TraceOpening::NotRegularFile: return texts.trace_not_regular;
  case rt::TraceOpening::Guarded:
    return trace.guarded_index() == kFirmwareFile ? texts.trace_is_firmware : texts.trace_is_settings;
  }
  return nullptr;
}

} // namespace

bool open_trace(std::optional<rt::LineTrace>& trace, const std::string& path, const std::string& firmware,
                const Texts& texts) {
  trace.emplace(path, std::vector<std::string>{firmware, user_settings_file()});
  const char* reason = refusal(*trace, texts);
  if (reason) write_line(stderr, format(reason, {path}));
  return !reason;
}

std::string trace_warning(const rt::LineTrace& trace, const std::string& path, const Texts& texts) {
  return trace.complete() ? std::string() : format(texts.trace_incomplete, {path});
}

} // namespace cli
