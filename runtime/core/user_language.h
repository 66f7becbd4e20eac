// The language the user chose for the system's texts.
#pragma once

#include <string>

namespace rt {

// The ISO 639 code in lower case ("de", "en"); on POSIX from LC_ALL,
// LC_MESSAGES or LANG, the first set, on Windows the user's interface
// language. Anything else, "C" among it, is returned as it is.
std::string user_language();

} // namespace rt
