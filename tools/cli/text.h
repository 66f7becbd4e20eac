// The command line's texts are UTF-8 (paths the system's bytes); placeholders
// %1 to %9 are filled in here, and widths on a console are counted in
// characters, not bytes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace cli {

// pattern with each %n replaced by the n-th value, in one pass: a value that
// itself holds %1 stays as it is. A %n without a value, or any other %, stays.
std::string format(std::string_view pattern, std::initializer_list<std::string_view> values);

// How many characters the UTF-8 text holds (bytes that start none are not counted).
std::size_t width_of(std::string_view text);

// The first characters of text, at most width of them.
std::string left_chars(std::string_view text, std::size_t width);

// text followed by blanks up to width characters; longer text as it is.
std::string padded(std::string_view text, std::size_t width);

// value in upper-case hexadecimal with at least digits digits.
std::string hex_digits(std::uint64_t value, int digits);

// value with one decimal and a point, whatever the locale.
std::string one_decimal(double value);

} // namespace cli
