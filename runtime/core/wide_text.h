// Windows names files and speaks to the console in UTF-16; inside, texts are
// UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace rt {

std::wstring wide_from_utf8(std::string_view text);
std::string utf8_from_wide(std::wstring_view text);

} // namespace rt
