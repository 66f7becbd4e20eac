#include "user_language.h"

#include "windows_api.h"

namespace rt {

std::string user_language() {
  switch (PRIMARYLANGID(GetUserDefaultUILanguage())) {
  case LANG_GERMAN: return "de";
  case LANG_ENGLISH: return "en";
  default: return "other";
  }
}

} // namespace rt
