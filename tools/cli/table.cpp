#include "table.h"

#include "text.h"

#include <algorithm>

namespace cli {
namespace {

std::string trimmed(const std::string& line) {
  constexpr char kBlanks[] = " \t\n\r\v\f";
  const std::size_t first = line.find_first_not_of(kBlanks);
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(kBlanks) + 1 - first);
}

} // namespace

std::vector<std::string> aligned(const std::vector<TableRow>& rows) {
  std::array<std::size_t, 4> widths{};
  for (const TableRow& row : rows) {
    for (std::size_t column = 0; column < widths.size(); ++column) {
      widths[column] = std::max(widths[column], width_of(row[column]));
    }
  }
  std::vector<std::string> lines;
  for (const TableRow& row : rows) {
    std::string line;
    for (std::size_t column = 0; column < row.size(); ++column) line += padded(row[column], widths[column] + 2);
    lines.push_back(trimmed(line));
  }
  return lines;
}

} // namespace cli
