// Serial lines through the Windows communications functions. The handle is
// not overlapped: every wait is a read or write with its own time-out, and a
// byte a wait brings in is kept with the others not read yet.
#include "port_scan.h"
#include "serial_line.h"
#include "wide_text.h"

#include <windows.h>
#include <algorithm>
#include <climits>
#include <optional>

namespace rt {

struct SerialLine::Native {
  HANDLE handle;
};

namespace {

constexpr char kDevicePrefix[] = "\\\\.\\"; // without it, COM10 and above do not open

DWORD milliseconds_until(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<DWORD>(std::clamp<long long>(left.count(), 0, MAXDWORD - 1));
}

std::wstring device_name(const std::string& location) {
  return wide_from_utf8(location.starts_with("\\\\") ? location : kDevicePrefix + location);
}

PortFailure failure_of_open(DWORD error) {
  switch (error) {
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND: return PortFailure::NotFound;
  case ERROR_ACCESS_DENIED: // Windows says so of a port another program has open
  case ERROR_SHARING_VIOLATION: return PortFailure::InUse;
  default: return PortFailure::Other;
  }
}

bool set_timeouts(HANDLE handle, DWORD interval, DWORD read_total, DWORD write_total) {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = interval;
  timeouts.ReadTotalTimeoutConstant = read_total;
  timeouts.WriteTotalTimeoutConstant = write_total;
  return SetCommTimeouts(handle, &timeouts) != 0;
}

// MAXDWORD between bytes and no total: a read returns at once with what is
// there; a write's time-out is set by the write.
bool set_no_wait(HANDLE handle) { return set_timeouts(handle, MAXDWORD, 0, 0); }

std::optional<DWORD> queued_input(HANDLE handle) {
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(handle, &errors, &status)) return std::nullopt;
  return status.cbInQue;
}

BYTE parity_of(Parity parity) {
  switch (parity) {
  case Parity::Odd: return ODDPARITY;
  case Parity::Even: return EVENPARITY;
  case Parity::Mark: return MARKPARITY;
  case Parity::Space: return SPACEPARITY;
  default: return NOPARITY;
  }
}

} // namespace

SerialLine::SerialLine(std::unique_ptr<Native> native) : native_(std::move(native)) {}

SerialLine::~SerialLine() { CloseHandle(native_->handle); }

std::unique_ptr<SerialLine> SerialLine::open(const std::string& location, PortFailure& failure) {
  const HANDLE handle = CreateFileW(device_name(location).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    failure = failure_of_open(GetLastError());
    return nullptr;
  }
  std::unique_ptr<SerialLine> line(new SerialLine(std::make_unique<Native>(Native{handle})));
  DCB state{};
  state.DCBlength = sizeof(state);
  const bool is_line = GetCommState(handle, &state) && line->configure(line->settings_) && set_no_wait(handle);
  failure = is_line ? PortFailure::None : PortFailure::NotSerial;
  return is_line ? std::move(line) : nullptr;
}

bool SerialLine::configure(const LineSettings& settings) {
  DCB state{};
  state.DCBlength = sizeof(state);
  if (!GetCommState(native_->handle, &state)) return false;
  state.BaudRate = static_cast<DWORD>(settings.baud_rate);
  state.ByteSize = static_cast<BYTE>(settings.data_bits);
  state.Parity = parity_of(settings.parity);
  state.StopBits = settings.stop_bits == 2 ? TWOSTOPBITS : ONESTOPBIT;
  state.fBinary = TRUE;
  state.fParity = settings.parity != Parity::None;
  state.fOutxCtsFlow = FALSE;
  state.fOutxDsrFlow = FALSE;
  state.fDsrSensitivity = FALSE;
  state.fDtrControl = DTR_CONTROL_ENABLE;
  state.fRtsControl = RTS_CONTROL_ENABLE;
  state.fOutX = FALSE;
  state.fInX = FALSE;
  state.fErrorChar = FALSE;
  state.fNull = FALSE;
  state.fAbortOnError = FALSE; // a framing error must not stop every later call
  if (!SetCommState(native_->handle, &state)) return false;
  settings_ = settings;
  return true;
}

bool SerialLine::wait_for_news(Clock::time_point deadline) {
  const DWORD wait = milliseconds_until(deadline);
  if (wait == 0) return true;
  // One byte asked for with a total time-out: the read ends when it comes.
  unsigned char byte = 0;
  DWORD got = 0;
  const bool read = set_timeouts(native_->handle, 0, wait, 0) && ReadFile(native_->handle, &byte, 1, &got, nullptr);
  set_no_wait(native_->handle);
  if (got == 1) pending_.push_back(byte);
  return read;
}

int SerialLine::read_now(std::span<unsigned char> buffer) {
  const auto queued = queued_input(native_->handle);
  if (!queued) return -1;
  const DWORD wanted = std::min<DWORD>(*queued, static_cast<DWORD>(buffer.size()));
  if (wanted == 0) return 0;
  DWORD got = 0;
  if (!ReadFile(native_->handle, buffer.data(), wanted, &got, nullptr)) return -1;
  return static_cast<int>(got);
}

WriteOutcome SerialLine::write(std::span<const unsigned char> bytes, Clock::time_point deadline) {
  DWORD written = 0;
  const DWORD wait = std::max<DWORD>(milliseconds_until(deadline), 1); // 0 would mean no time-out at all
  const bool done = set_timeouts(native_->handle, MAXDWORD, 0, wait) &&
                    WriteFile(native_->handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (!done) return WriteOutcome::LineLost;
  return written == bytes.size() ? WriteOutcome::Written : WriteOutcome::TimedOut;
}

bool SerialLine::purge_input() { return PurgeComm(native_->handle, PURGE_RXCLEAR | PURGE_RXABORT) != 0; }

bool SerialLine::flush_output() { return PurgeComm(native_->handle, PURGE_TXCLEAR | PURGE_TXABORT) != 0; }

bool SerialLine::set_request_to_send() { return EscapeCommFunction(native_->handle, SETRTS) != 0; }

bool SerialLine::clear_data_terminal_ready() { return EscapeCommFunction(native_->handle, CLRDTR) != 0; }

// A virtual port is a device name (COM7, \\.\CNCA0) that only an open checks.
bool may_be_serial_line(const std::string&) { return true; }

std::string unlisted_port_location(int number) { return "COM" + std::to_string(number); }

// A device name has no links to resolve.
std::string resolved_location(const std::string& location) { return location; }

} // namespace rt
