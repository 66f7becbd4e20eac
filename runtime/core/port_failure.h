// Why a serial port could not be used, for a front end that says more than
// the system's one port message.
#pragma once

#include <string>

namespace rt {

enum class PortFailure {
  None,
  NotFound,
  InUse,            // another program has it open
  PermissionDenied, // the user may not open it
  NotSerial,        // something that is no serial line, a plain file say
  LineLost,         // it went away while open: adapter unplugged, far end closed
  Other,
};

// What went wrong with the port last: why the last OpenComConfig failed, or
// LineLost once a read or write found the open line gone. None after a good
// open.
PortFailure port_failure();

// Why the line at location cannot be opened now; None when it can (it is
// closed again at once).
PortFailure try_port(const std::string& location);

} // namespace rt
