#include "system_text.h"

namespace rt {

QString from_system_text(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string to_system_text(const QString& text) { return text.toUtf8().toStdString(); }

} // namespace rt
