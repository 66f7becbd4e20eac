// How a user gets the right to open serial ports.
#pragma once

namespace rt {

// Linux distributions give serial ports to the group dialout.
#ifdef __linux__
inline constexpr bool kDialoutGrantsSerialPorts = true;
#else
inline constexpr bool kDialoutGrantsSerialPorts = false;
#endif

} // namespace rt
