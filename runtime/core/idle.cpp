#include "idle.h"

#include "session.h"
#include "utility.h"

#include <thread>

namespace rt {
namespace {

// Waiting needs no session: without one it is plain.
IdleHandler* active_handler() {
  Session* session = Session::active();
  return session ? session->idle_handler : nullptr;
}

} // namespace

void keep_alive() {
  if (IdleHandler* handler = active_handler()) handler->keep_alive();
}

void wait_until(Clock::time_point deadline) {
  if (IdleHandler* handler = active_handler()) {
    handler->wait_until(deadline);
  } else {
    std::this_thread::sleep_until(deadline);
  }
}

Clock::duration scaled_wait(double seconds) {
  const Session* session = Session::active();
  const double scale = session ? session->time_scale : 1.0;
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds * scale));
}

} // namespace rt

void Delay(double seconds) { rt::wait_until(rt::Clock::now() + rt::scaled_wait(seconds)); }
