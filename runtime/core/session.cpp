#include "session.h"

#include <stdexcept>

namespace rt {
namespace {
Session* living = nullptr;
}

Session::Session() {
  if (living) throw std::logic_error("a second run-time session while one lives");
  living = this;
}

Session::~Session() { living = nullptr; }

Session* Session::active() { return living; }

Session& Session::current() {
  if (!living) throw std::logic_error("no run-time session lives");
  return *living;
}

} // namespace rt
