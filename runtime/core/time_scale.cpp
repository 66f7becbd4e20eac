#include "time_scale.h"

#include <charconv>

namespace rt {

std::optional<double> time_scale_from_text(const std::string& text) {
  if (text.empty()) return 1.0;
  double scale = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, scale);
  // Written so that NaN, which compares false with everything, is refused.
  if (error != std::errc() || stop != end || !(scale >= kLeastTimeScale && scale <= kMostTimeScale)) {
    return std::nullopt;
  }
  return scale;
}

} // namespace rt
