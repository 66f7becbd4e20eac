// How far tests shorten the protocol's waits (the 40 ms poll, the 0.5 s read
// time-out) where timing is not what they check.
#pragma once

namespace kovo::testsupport {

// A fifth of real time (a poll of 8 ms, a read of 0.1 s): still well above
// the simulator's reply latency.
constexpr double kShortTimeScale = 0.2;

// A device that never answers, or whose every answer is refused, leaves
// nothing that counts to arrive late, so its waits shrink further (a poll
// of 2 ms).
constexpr double kSilentDeviceTimeScale = 0.05;

// Four times real time (a read of 2 s) where every frame is answered: it
// costs nothing there, and a machine that starves the simulator for a
// moment fails no update that is not about time.
constexpr double kPatientTimeScale = 4.0;

} // namespace kovo::testsupport
