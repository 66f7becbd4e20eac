// The system's texts and paths are UTF-8 bytes; Qt speaks UTF-16. Every
// crossing between the two in the window goes through here.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace rt {

inline QString from_system_text(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string to_system_text(const QString& text) { return text.toUtf8().toStdString(); }

} // namespace rt
