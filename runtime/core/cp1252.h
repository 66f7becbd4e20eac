// The system's texts are Windows-1252 bytes; Qt speaks Unicode.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace rt {

QString from_cp1252(std::string_view bytes);
// Characters that Windows-1252 lacks become '?'.
std::string to_cp1252(const QString& text);

} // namespace rt
