#include "util_hex_digits.h"

namespace kovo {
namespace {

int digit_value(char c) {
  if (c >= '1' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

} // namespace

unsigned char char2_to_uchar(char high, char low) {
  return static_cast<unsigned char>(16 * digit_value(high) + digit_value(low));
}

int char4_to_int(char c1, char c2, char c3, char c4) {
  return 4096 * digit_value(c1) + 256 * digit_value(c2) + 16 * digit_value(c3) + digit_value(c4);
}

} // namespace kovo
