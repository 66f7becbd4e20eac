#pragma once

#include <string>

#include "protocol.h"

namespace kovo::devsim {

// Replaces `path` in one step (temporary file, then rename) so a reader never sees half a file.
void writeFileAtomically(const std::string& path, ByteView contents);

} // namespace kovo::devsim
