#include "simulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "memory_file.h"

namespace kovo::devsim {

namespace {

// How long a closing line waits for the PC to read the last reply.
constexpr auto kDrainTimeout = std::chrono::seconds(1);
// Bytes written to the master reach the slave's input queue a little later; until then
// the queue looks empty although the PC has read nothing.
constexpr auto kDeliverySettleTime = std::chrono::milliseconds(100);
// How often a closing line checks whether the PC has read the last reply.
constexpr auto kDrainCheckInterval = std::chrono::milliseconds(5);
// Bytes taken from the line per read.
constexpr std::size_t kReadChunk = 256;
// Flips one bit of an echoed byte, as a disturbance on the line would.
constexpr std::uint8_t kWrongEchoMask = 0x04;

timespec toTimespec(OutputSchedule::Clock::duration duration) {
  const auto clamped = std::max(duration, OutputSchedule::Clock::duration::zero());
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(clamped);
  const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(clamped - seconds);
  return {static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count())};
}

bool readable(const pollfd& fd) { return (fd.revents & (POLLIN | POLLHUP | POLLERR)) != 0; }

} // namespace

Simulator::Simulator(const Options& options, PtyLine& line, int stopFd)
    : options_(options),
      line_(line),
      stopFd_(stopFd),
      start_(Clock::now()),
      device_(options.device),
      schedule_(options.paced ? Clock::duration(kPacedByteTime) : Clock::duration::zero()) {
  if (options.logPath) log_.emplace(*options.logPath);
}

void Simulator::run() {
  while (phase_ != Phase::finished) {
    waitForActivity();
    if (phase_ == Phase::finished) break;
    flushDueOutput();
    if (phase_ == Phase::draining && drained(Clock::now())) {
      line_.close();
      phase_ = Phase::finished;
    }
  }
  saveMemory();
}

void Simulator::waitForActivity() {
  std::array<pollfd, 3> fds{};
  fds[0] = {stopFd_, POLLIN, 0};
  const short lineEvents = static_cast<short>((phase_ == Phase::serving ? POLLIN : 0) | (lineFull_ ? POLLOUT : 0));
  fds[1] = {line_.masterFd(), lineEvents, 0};
  fds[2] = {options_.exitOnStdinEof ? STDIN_FILENO : -1, POLLIN, 0};

  const auto now = Clock::now();
  const auto wakeUp = nextWakeUp(now);
  const timespec timeout = toTimespec(wakeUp.value_or(now) - now);
  if (::ppoll(fds.data(), fds.size(), wakeUp ? &timeout : nullptr, nullptr) < 0) {
    if (errno == EINTR) return;
    throwLastError("ppoll");
  }
  if (readable(fds[0])) {
    receiveWhatIsLeft();
    phase_ = Phase::finished;
  }
  if (readable(fds[2])) readStdin();
  if (phase_ == Phase::serving && readable(fds[1])) receive();
  if (fds[1].revents & POLLOUT) lineFull_ = false;
}

std::optional<Simulator::Clock::time_point> Simulator::nextWakeUp(Clock::time_point now) const {
  std::optional<Clock::time_point> wakeUp = lineFull_ ? std::nullopt : schedule_.nextDelivery();
  if (phase_ == Phase::draining)
    wakeUp = std::min(wakeUp.value_or(Clock::time_point::max()), now + kDrainCheckInterval);
  return wakeUp;
}

std::size_t Simulator::receive() {
  std::array<std::uint8_t, kReadChunk> buffer;
  const std::size_t count = line_.read(buffer);
  const auto now = Clock::now();
  for (std::size_t i = 0; i < count && phase_ == Phase::serving; ++i) {
    const auto frame = assembler_.push(buffer[i]);
    echo(buffer[i], frame, now);
    if (frame) answer(*frame, now);
  }
  return count;
}

// The line hands every byte back; a wrong-echo fault spoils the last byte of a selected frame.
void Simulator::echo(std::uint8_t byte, const std::optional<Frame>& completed, Clock::time_point now) {
  if (completed && options_.wrongEcho && options_.wrongEcho->matches(*completed)) byte ^= kWrongEchoMask;
  schedule_.enqueue(ByteView(&byte, 1), now);
}

// On a stop, what the PC sent before it is still taken in and logged, however
// late a busy machine let the simulator get to it.
void Simulator::receiveWhatIsLeft() {
  while (phase_ == Phase::serving && receive() > 0) {}
}

void Simulator::answer(const Frame& frame, Clock::time_point now) {
  if (log_) log_->record(std::chrono::duration_cast<std::chrono::microseconds>(now - start_), frame.bytes);
  const DeviceResponse response = device_.handle(frame);
  // Written before the reply goes out, so the image is complete once the PC sees the acknowledgement.
  if (response.programmingEnded) saveMemory();
  if (!response.reply.empty()) schedule_.enqueue(response.reply, now, options_.replyDelay + response.lateBy);
  if (response.closeLine) phase_ = Phase::draining;
}

void Simulator::readStdin() {
  std::array<char, kReadChunk> buffer;
  const ssize_t count = ::read(STDIN_FILENO, buffer.data(), buffer.size());
  if (count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN)) phase_ = Phase::finished;
}

void Simulator::flushDueOutput() {
  if (lineFull_) return;
  const std::size_t due = schedule_.dueCount(Clock::now());
  if (due == 0) return;
  const std::size_t written = line_.write(schedule_.peek(due));
  schedule_.consume(written);
  lastWrite_ = Clock::now();
  lineFull_ = written < due;
}

bool Simulator::drained(Clock::time_point now) const {
  const auto sinceLastWrite = now - lastWrite_;
  return schedule_.empty() && sinceLastWrite >= kDeliverySettleTime &&
         (line_.unreadByPc() == 0 || sinceLastWrite >= kDrainTimeout);
}

void Simulator::saveMemory() const {
  if (options_.memoryOut) writeFileAtomically(*options_.memoryOut, device_.memory());
}

} // namespace kovo::devsim
