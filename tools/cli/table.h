// Rows of four columns as aligned lines of text, for the port list, the live
// lines of many ports and their summary.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace cli {

using TableRow = std::array<QString, 4>;

// Each column as wide as its widest cell, two spaces apart, no trailing blanks.
QStringList aligned(const std::vector<TableRow>& rows);

} // namespace cli
