// What every user-interface implementation shares about panels.
#pragma once

#include "userint.h"

#include <string_view>

namespace rt {

// False until the program has handed over its callbacks: no panel loads before.
bool callbacks_registered();

// The program's callback of that name, or nullptr.
CtrlCallbackPtr callback_named(std::string_view name);

// The text for an error other than a failed panel load.
const char* ui_error_text(int error);

} // namespace rt
