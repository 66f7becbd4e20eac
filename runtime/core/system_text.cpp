#include "system_text.h"

#include <cstdlib>

#ifdef _WIN32
#include "wide_text.h"

#include <QCoreApplication>
#endif

namespace rt {

QString from_system_text(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string to_system_text(const QString& text) { return text.toUtf8().toStdString(); }

#ifdef _WIN32
// argv holds the arguments in the ANSI code page, which cannot hold every name.
std::vector<std::string> command_line_arguments(int, char**) {
  std::vector<std::string> arguments;
  for (const QString& argument : QCoreApplication::arguments()) arguments.push_back(to_system_text(argument));
  return arguments;
}

std::string environment_variable(const char* name) {
  const wchar_t* value = _wgetenv(wide_from_utf8(name).c_str());
  return value ? utf8_from_wide(value) : std::string();
}
#else
std::vector<std::string> command_line_arguments(int argc, char** argv) { return {argv, argv + argc}; }

std::string environment_variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}
#endif

} // namespace rt
