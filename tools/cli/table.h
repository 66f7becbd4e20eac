// Rows of four columns as aligned lines of text, for the port list, the live
// lines of many ports and their summary.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace cli {

using TableRow = std::array<std::string, 4>;

// Each column as wide as its widest cell, two spaces apart, no trailing blanks.
std::vector<std::string> aligned(const std::vector<TableRow>& rows);

} // namespace cli
