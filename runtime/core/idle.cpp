#include "idle.h"

#include "utility.h"

#include <thread>

namespace rt {
namespace {
IdleHandler* active_handler = nullptr;
}

void set_idle_handler(IdleHandler* handler) { active_handler = handler; }

void keep_alive() {
  if (active_handler) active_handler->keep_alive();
}

void wait_until(Clock::time_point deadline) {
  if (active_handler) {
    active_handler->wait_until(deadline);
  } else {
    std::this_thread::sleep_until(deadline);
  }
}

} // namespace rt

void Delay(double seconds) {
  const auto duration = std::chrono::duration<double>(seconds);
  rt::wait_until(rt::Clock::now() + std::chrono::duration_cast<rt::Clock::duration>(duration));
}
