#pragma once

namespace kovo::devsim {

// Puts a terminal into raw mode with the device's line settings: 38400 baud, 8 data bits,
// no parity, 2 stop bits, no echo or translation by the line discipline.
void applyDeviceLineSettings(int fd);

} // namespace kovo::devsim
