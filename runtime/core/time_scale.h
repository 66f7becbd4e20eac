// The factor on the protocol's waits (Session::time_scale) that tests give a
// program through the environment, so that a silent device costs a fraction
// of its real time. Outside a sane range a wait overflows, or shrinks below
// the time any line takes to answer.
#pragma once

#include <optional>
#include <string>

namespace rt {

inline constexpr double kLeastTimeScale = 0.01;
inline constexpr double kMostTimeScale = 100.0;

// Empty text: 1, real time. Nothing when text is no number from
// kLeastTimeScale to kMostTimeScale.
std::optional<double> time_scale_from_text(const std::string& text);

} // namespace rt
