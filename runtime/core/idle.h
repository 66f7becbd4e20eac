// How the program waits. While a callback holds the one thread, the active
// user interface decides what "staying alive" means: the window keeps being
// painted; a console needs nothing.
#pragma once

#include <chrono>

namespace rt {

using Clock = std::chrono::steady_clock;

class IdleHandler {
public:
  virtual ~IdleHandler() = default;
  // Called often on the device path: must be cheap and rate-limit itself.
  virtual void keep_alive() = 0;
  virtual void wait_until(Clock::time_point deadline) = 0;
};

// The session's handler (session.h) decides; without one, waiting is plain.
void keep_alive();
void wait_until(Clock::time_point deadline);

// A protocol wait of `seconds`, times the session's time scale (none: real time).
Clock::duration scaled_wait(double seconds);

} // namespace rt
