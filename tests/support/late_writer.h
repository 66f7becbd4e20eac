// A writer that opens a pipe late, for tests of code that must never wait on
// a pipe: should it wait after all, the writer ends the wait and the test
// fails instead of hanging.
#pragma once

#include <fcntl.h>
#include <unistd.h>
#include <chrono>
#include <future>
#include <string>
#include <thread>

namespace kovo::testing {

class LateWriter {
public:
  LateWriter(std::string pipe, std::chrono::seconds after)
      : thread_([this, pipe = std::move(pipe), after] {
          if (done_.get_future().wait_for(after) == std::future_status::ready) return;
          const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
          if (fd != -1) ::close(fd);
        }) {}
  ~LateWriter() {
    done_.set_value();
    thread_.join();
  }
  LateWriter(const LateWriter&) = delete;
  LateWriter& operator=(const LateWriter&) = delete;

private:
  std::promise<void> done_;
  std::thread thread_;
};

} // namespace kovo::testing
