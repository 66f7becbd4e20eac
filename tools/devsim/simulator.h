#pragma once

#include <chrono>
#include <optional>

#include "device.h"
#include "frame_assembler.h"
#include "frame_log.h"
#include "options.h"
#include "output_schedule.h"
#include "pty_line.h"

namespace kovo::devsim {

// Serves the line: echoes what the PC sends, lets the device answer, paces output, records frames.
class Simulator {
public:
  using Clock = OutputSchedule::Clock;

  Simulator(const Options& options, PtyLine& line, int stopFd);

  // Runs until a stop signal, end of standard input (if asked for) or a closing fault;
  // writes the memory file on the way out.
  void run();

private:
  enum class Phase { serving, draining, finished };

  void waitForActivity();
  std::optional<Clock::time_point> nextWakeUp(Clock::time_point now) const;
  std::size_t receive();
  void echo(std::uint8_t byte, const std::optional<Frame>& completed, Clock::time_point now);
  void receiveWhatIsLeft();
  void answer(const Frame& frame, Clock::time_point now);
  void readStdin();
  void flushDueOutput();
  bool drained(Clock::time_point now) const;
  void saveMemory() const;

  const Options& options_;
  PtyLine& line_;
  const int stopFd_;
  const Clock::time_point start_;
  Device device_;
  FrameAssembler assembler_;
  OutputSchedule schedule_;
  std::optional<FrameLog> log_;
  Phase phase_ = Phase::serving;
  bool lineFull_ = false;
  Clock::time_point lastWrite_{};
};

} // namespace kovo::devsim
