// The trace file of a run (--trace), refused before any port is opened when
// it would destroy what the run needs or cannot hold a trace.
#pragma once

#include "line_trace.h"
#include "texts.h"

#include <optional>
#include <string>

namespace cli {

// Opens the trace at path. False, with the reason on standard error, when it
// cannot be written, is not a regular file, or is the firmware file or the
// settings file however named: those are never emptied.
bool open_trace(std::optional<rt::LineTrace>& trace, const std::string& path, const std::string& firmware,
                const Texts& texts);

// The warning, naming the file, for a trace that could not be written whole;
// empty when it was.
std::string trace_warning(const rt::LineTrace& trace, const std::string& path, const Texts& texts);

} // namespace cli
