#include "time_scale.h"

namespace rt {

std::optional<double> time_scale_from_text(const QString& text) {
  if (text.isEmpty()) return 1.0;
  bool is_number = false;
  const double scale = text.toDouble(&is_number);
  // Written so that NaN, which compares false with everything, is refused.
  if (!is_number || !(scale >= kLeastTimeScale && scale <= kMostTimeScale)) return std::nullopt;
  return scale;
}

} // namespace rt
