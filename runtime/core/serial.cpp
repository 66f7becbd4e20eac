// RS-232 operations over QSerialPort. All calls come from the one thread that
// runs the callbacks; waits block on the port with a deadline and give the
// user interface a moment between slices.
#include "idle.h"
#include "port_failure.h"
#include "port_scan.h"
#include "rs232.h"
#include "session.h"

#include <QFile>
#include <QSerialPort>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <span>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace {

using namespace std::chrono_literals;

constexpr auto kWaitSlice = 20ms;   // longest stretch without a look at the window
constexpr int kWakeMarginBytes = 2; // of a reply still to come when a wait for the rest ends

using rt::OpenPort;

rt::SerialLines& lines() { return rt::Session::current().serial; }

int report(int status) {
  lines().last_status = status;
  return status;
}

int report_failure(rt::PortFailure failure, int status) {
  lines().last_failure = failure;
  return report(status);
}

OpenPort* find_port(int port) {
  const auto& open_ports = lines().open_ports;
  const auto found = open_ports.find(port);
  return found == open_ports.end() ? nullptr : found->second.get();
}

QString location_for(int port) {
  QString location = rt::location_of_port(port);
#ifdef _WIN32
  if (location.isEmpty() && port > 0) location = QStringLiteral("COM%1").arg(port);
#endif
  return location;
}

// QSerialPort calls a port held by another program and one the user may not
// open alike a permission error; the file itself tells them apart.
rt::PortFailure open_failure(const QString& location, QSerialPort::SerialPortError error) {
  using rt::PortFailure;
#ifndef _WIN32
  const QByteArray path = QFile::encodeName(location);
  struct stat status {};
  if (stat(path.constData(), &status) != 0) {
    return errno == EACCES ? PortFailure::PermissionDenied : PortFailure::NotFound;
  }
  if (!S_ISCHR(status.st_mode)) return PortFailure::NotSerial;
  if (access(path.constData(), R_OK | W_OK) != 0) return PortFailure::PermissionDenied;
#endif
  switch (error) {
  case QSerialPort::DeviceNotFoundError: return PortFailure::NotFound;
  case QSerialPort::PermissionError: return PortFailure::InUse;               // Windows denies access to a port in use
  case QSerialPort::UnsupportedOperationError: return PortFailure::NotSerial; // a device that is no terminal
  default: return PortFailure::Other;
  }
}

rt::PortFailure open_line(QSerialPort& device, const QString& location) {
  device.setPortName(location);
  if (device.open(QIODevice::ReadWrite)) return rt::PortFailure::None;
  return open_failure(location, device.error());
}

bool configure(QSerialPort& device, long baudRate, int parity, int dataBits, int stopBits) {
  static const std::map<int, QSerialPort::Parity> parities = {{0, QSerialPort::NoParity},
                                                              {1, QSerialPort::OddParity},
                                                              {2, QSerialPort::EvenParity},
                                                              {3, QSerialPort::MarkParity},
                                                              {4, QSerialPort::SpaceParity}};
  if (!parities.contains(parity) || dataBits < 5 || dataBits > 8 || stopBits < 1 || stopBits > 2 || baudRate <= 0) {
    return false;
  }
  return device.setBaudRate(static_cast<qint32>(baudRate)) && device.setParity(parities.at(parity)) &&
         device.setDataBits(static_cast<QSerialPort::DataBits>(dataBits)) &&
         device.setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
         device.setFlowControl(QSerialPort::NoFlowControl);
}

std::span<const unsigned char> bytes_of(const void* buffer, int count) {
  return {static_cast<const unsigned char*>(buffer), static_cast<std::size_t>(count)};
}

// On a real line a reply comes a byte at a time; waking for each byte costs
// more than the exchange itself once many ports are updated at once. Once a
// part has come, the rest cannot come sooner than the line carries it: wait
// for all but its last two bytes, a margin for a late wake-up, so that the
// last one is still met on arrival.
void let_the_rest_arrive(const QSerialPort& device, int count, rt::Clock::time_point deadline) {
  const qint64 arrived = device.bytesAvailable();
  if (arrived == 0 || arrived + kWakeMarginBytes >= count) return;
  const int bits_per_byte = 1 + device.dataBits() + (device.parity() == QSerialPort::NoParity ? 0 : 1) +
                            (device.stopBits() == QSerialPort::TwoStop ? 2 : 1);
  const std::chrono::duration<double> line_time(double(count - arrived - kWakeMarginBytes) * bits_per_byte /
                                                device.baudRate());
  // A plain sleep: a few milliseconds at most, shorter than a look at the
  // window is ever apart (kWaitSlice), and without the event loop's coarser timer.
  std::this_thread::sleep_until(
      std::min(rt::Clock::now() + std::chrono::duration_cast<rt::Clock::duration>(line_time), deadline));
}

bool line_lost(const QSerialPort& device) { return !device.isOpen() || device.error() == QSerialPort::ResourceError; }

// Blocks until the port has news or the slice ends; false when the line is gone.
bool wait_for_input(QSerialPort& device, rt::Clock::time_point deadline) {
  const auto left = std::max(deadline - rt::Clock::now(), rt::Clock::duration::zero());
  const auto slice = std::chrono::ceil<std::chrono::milliseconds>(std::min<rt::Clock::duration>(left, kWaitSlice));
  device.waitForReadyRead(static_cast<int>(slice.count()));
  rt::keep_alive();
  return !line_lost(device);
}

} // namespace

int OpenComConfig(int port, const char*, long baudRate, int parity, int dataBits, int stopBits, int, int) {
  CloseCom(port);
  const QString location = location_for(port);
  if (location.isEmpty()) return report_failure(rt::PortFailure::NotFound, kRS_InvalidPortNum);
  auto opened = std::make_unique<OpenPort>();
  opened->location = location;
  const rt::PortFailure failure = open_line(opened->device, location);
  if (failure != rt::PortFailure::None) return report_failure(failure, kRS_CannotOpenPort);
  if (!configure(opened->device, baudRate, parity, dataBits, stopBits)) {
    return report_failure(rt::PortFailure::Other, kRS_InvalidParameter);
  }
  lines().open_ports[port] = std::move(opened);
  return report_failure(rt::PortFailure::None, 0);
}

int CloseCom(int port) {
  lines().open_ports.erase(port);
  return report(0);
}

int FlushInQ(int port) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  return report(open->device.clear(QSerialPort::Input) ? 0 : kRS_IOErr);
}

int FlushOutQ(int port) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  return report(open->device.clear(QSerialPort::Output) ? 0 : kRS_IOErr);
}

int SetComTime(int port, double timeoutSeconds) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  if (!(timeoutSeconds >= 0.0) || !std::isfinite(timeoutSeconds)) {
    return report(kRS_InvalidParameter);
  }
  open->timeout = rt::scaled_wait(timeoutSeconds);
  return report(0);
}

int ComSetEscape(int port, int code) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  bool done = false;
  switch (code) {
  case SETRTS: done = open->device.setRequestToSend(true); break;
  case CLRDTR: done = open->device.setDataTerminalReady(false); break;
  default: return report(kRS_InvalidParameter);
  }
  // A line without modem control (a pseudo-terminal) refuses; the port still works.
  if (!done) open->device.clearError();
  return report(done ? 0 : kRS_IOErr);
}

int ComWrt(int port, const void* buffer, int count) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  QSerialPort& device = open->device;
  if (device.write(static_cast<const char*>(buffer), count) != count) {
    return report_failure(rt::PortFailure::LineLost, kRS_IOErr);
  }
  if (rt::LineTrace* trace = lines().trace)
    trace->sent(open->location.toStdString(), open->attempt, bytes_of(buffer, count));
  const auto deadline = rt::Clock::now() + open->timeout;
  while (device.bytesToWrite() > 0) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - rt::Clock::now());
    if (left.count() <= 0) return report(kRS_TimeOutErr);
    device.waitForBytesWritten(static_cast<int>(left.count()));
    if (line_lost(device)) return report_failure(rt::PortFailure::LineLost, kRS_IOErr);
  }
  report(0);
  return count;
}

int ComRd(int port, void* buffer, int count) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  QSerialPort& device = open->device;
  const auto deadline = rt::Clock::now() + open->timeout;
  bool line_ok = !line_lost(device);
  while (line_ok && device.bytesAvailable() < count && rt::Clock::now() < deadline) {
    line_ok = wait_for_input(device, deadline);
    if (line_ok) let_the_rest_arrive(device, count, deadline);
  }
  const auto got = device.read(static_cast<char*>(buffer), count);
  if (got < 0) return report_failure(rt::PortFailure::LineLost, kRS_IOErr);
  if (rt::LineTrace* trace = lines().trace) {
    trace->received(open->location.toStdString(), open->attempt, bytes_of(buffer, static_cast<int>(got)), count);
  }
  if (!line_ok) lines().last_failure = rt::PortFailure::LineLost;
  report(got == count ? 0 : line_ok ? kRS_TimeOutErr : kRS_IOErr);
  return static_cast<int>(got);
}

int GetInQLen(int port) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  open->device.waitForReadyRead(0); // fetch what the system holds
  report(0);
  return static_cast<int>(open->device.bytesAvailable());
}

int SetComAttempt(int port, int attempt) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  open->attempt = attempt;
  return report(0);
}

int ReturnRS232Err() { return lines().last_status; }

rt::PortFailure rt::port_failure() { return lines().last_failure; }

rt::PortFailure rt::try_port(const QString& location) {
  QSerialPort device;
  return open_line(device, location);
}
