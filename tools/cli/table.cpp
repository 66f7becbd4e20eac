#include "table.h"

#include <algorithm>

namespace cli {

QStringList aligned(const std::vector<TableRow>& rows) {
  std::array<qsizetype, 4> widths{};
  for (const TableRow& row : rows) {
    for (std::size_t column = 0; column < widths.size(); ++column) {
      widths[column] = std::max(widths[column], row[column].size());
    }
  }
  QStringList lines;
  for (const TableRow& row : rows) {
    QString line;
    for (std::size_t column = 0; column < row.size(); ++column) line += row[column].leftJustified(widths[column] + 2);
    lines.append(line.trimmed());
  }
  return lines;
}

} // namespace cli
