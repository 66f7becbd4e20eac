// Every text of both languages as the user must see it, written out here
// independently of the program's own tables: the Linux window's tests and
// the Windows window's tests under Wine check the same ones.
#pragma once

#include <span>

namespace kovo::testsupport {

struct WindowText {
  const char* target; // a control's name in the panel file, or a message global's name
  const char* german; // UTF-8
  const char* english;
};

// Each control's label and each message, in both languages.
std::span<const WindowText> window_texts();
// The text of target in language 0 (German) or 1 (English); throws for a target not listed.
const char* window_text(const char* target, int language);

inline constexpr char kWindowTitle[] = "PC-KovoFlash V1.0";

} // namespace kovo::testsupport
