#include "text.h"

#include <charconv>
#include <cstdio>

namespace cli {
namespace {

bool starts_a_character(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

} // namespace

std::string format(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string text;
  text.reserve(pattern.size());
  for (std::size_t at = 0; at < pattern.size(); ++at) {
    const bool placeholder = pattern[at] == '%' && at + 1 < pattern.size() && pattern[at + 1] >= '1' &&
                             static_cast<std::size_t>(pattern[at + 1] - '0') <= values.size();
    if (!placeholder) {
      text += pattern[at];
      continue;
    }
    text += values.begin()[pattern[at + 1] - '1'];
    ++at;
  }
  return text;
}

std::size_t width_of(std::string_view text) {
  std::size_t width = 0;
  for (const char byte : text) width += starts_a_character(byte) ? 1 : 0;
  return width;
}

std::string left_chars(std::string_view text, std::size_t width) {
  std::size_t characters = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (starts_a_character(text[at]) && characters++ == width) return std::string(text.substr(0, at));
  }
  return std::string(text);
}

std::string padded(std::string_view text, std::size_t width) {
  const std::size_t have = width_of(text);
  return std::string(text) + std::string(have < width ? width - have : 0, ' ');
}

std::string hex_digits(std::uint64_t value, int digits) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%0*llX", digits, static_cast<unsigned long long>(value));
  return buffer;
}

std::string one_decimal(double value) {
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
  return std::string(buffer, written.ptr);
}

} // namespace cli
