#include "user_language.h"

#include <cstdlib>

namespace rt {

std::string user_language() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* locale = std::getenv(variable);
    if (!locale || !*locale) continue;
    const std::string name(locale);
    return name.substr(0, name.find_first_of("_.@")); // de_DE.UTF-8@euro: de
  }
  return "C";
}

} // namespace rt
