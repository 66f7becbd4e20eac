#include "user_language.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace rt {

std::string user_language() {
  switch (PRIMARYLANGID(GetUserDefaultUILanguage())) {
  case LANG_GERMAN: return "de";
  case LANG_ENGLISH: return "en";
  default: return "other";
  }
}

} // namespace rt
