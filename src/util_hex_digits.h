// Firmware-file digits, apart from the serial and settings code so that the
// parser needs no run-time operation.
#pragma once

namespace kovo {

// "1"-"9" and upper-case "A"-"F" count, every other character reads as 0.
unsigned char char2_to_uchar(char high, char low);
int char4_to_int(char c1, char c2, char c3, char c4);

} // namespace kovo
