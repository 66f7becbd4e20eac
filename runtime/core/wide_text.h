// Windows' wide (UTF-16) texts and the UTF-8 the program holds inside.
#pragma once

#include <string>
#include <string_view>

namespace rt {

std::wstring wide_from_utf8(std::string_view text);
std::string utf8_from_wide(std::wstring_view text);

} // namespace rt
