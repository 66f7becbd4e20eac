// The user interface speaks German (0) or English (1).
#pragma once

namespace kovo {

// Writes the window title, instructions, labels and message texts of one
// language; any other value writes nothing. Leaves `language` as it is.
void set_language(int language);

} // namespace kovo
