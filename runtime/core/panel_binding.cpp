#include "panel_binding.h"

#include "session.h"

namespace rt {

bool callbacks_registered() {
  const Session* session = Session::active();
  return session && session->callbacks;
}

CtrlCallbackPtr callback_named(std::string_view name) {
  for (const CallbackBinding& binding : Session::current().callbacks.value_or(std::span<const CallbackBinding>())) {
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
  case UIE_NO_CALLBACKS: return "No panel loads before the program has registered its callbacks";
  default: return "Unknown error";
  }
}

} // namespace rt

int RegisterCallbacks(std::span<const CallbackBinding> callbacks) {
  rt::Session::current().callbacks = callbacks;
  return 0;
}
