// The system's texts and paths are UTF-8 bytes; Qt speaks UTF-16. Every
// crossing between the two goes through here.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace rt {

QString from_system_text(std::string_view bytes);
std::string to_system_text(const QString& text);

} // namespace rt
