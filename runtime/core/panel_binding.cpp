#include "panel_binding.h"

namespace rt {

CtrlCallbackPtr callback_named(std::string_view name) {
  for (const CallbackBinding& binding : panel_callbacks) {
    if (name == binding.name) return binding.function;
  }
  return nullptr;
}

const char* ui_error_text(int error) {
  switch (error) {
  case UIE_INVALID_PANEL: return "Invalid panel";
  case UIE_INVALID_CONTROL: return "Invalid control";
  case UIE_INVALID_ATTRIBUTE: return "Invalid attribute";
  case UIE_INVALID_VALUE: return "Invalid value";
  default: return "Unknown error";
  }
}

} // namespace rt
