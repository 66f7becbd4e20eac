// Windows names files and speaks to the console in UTF-16; the run-time's
// texts and paths are UTF-8. Every crossing between the two goes through here.
#pragma once

#include <string>
#include <string_view>

namespace rt {

// Ill-formed input becomes U+FFFD rather than cutting the text short.
std::wstring wide_from_utf8(std::string_view text);
std::string utf8_from_wide(std::wstring_view text);

} // namespace rt
