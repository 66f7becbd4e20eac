#pragma once

#include "posix_fd.h"

namespace kovo::devsim {

// Turns SIGTERM and SIGINT into a readable descriptor, so the main loop can wait for them in poll().
// One instance per process.
class StopSignals {
public:
  StopSignals();

  int fd() const { return readEnd_.get(); }

private:
  UniqueFd readEnd_;
  UniqueFd writeEnd_;
};

} // namespace kovo::devsim
