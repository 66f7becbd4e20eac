#include "system_text.h"
#include "wide_text.h"

#include <windows.h>
#include <cstdlib>

#include <shellapi.h>

namespace rt {

std::vector<std::string> command_line_arguments(int, char**) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int index = 0; wide && index < count; ++index) arguments.push_back(utf8_from_wide(wide[index]));
  LocalFree(wide);
  return arguments;
}

std::string environment_variable(const char* name) {
  const wchar_t* value = _wgetenv(wide_from_utf8(name).c_str());
  return value ? utf8_from_wide(value) : "";
}

} // namespace rt
