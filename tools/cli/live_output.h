// Everything the command-line program writes while it runs: lines of its
// own, and the live line that follows the connect attempts or the programming
// progress as the system sets them on the panel. On a terminal the live line
// is redrawn in place; into a file or pipe only a few plain lines go. With
// an event stream every line and every percent also goes out as an event.
#pragma once

#include "console_runtime.h"
#include "events.h"
#include "texts.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace cli {

// One line as it is (UTF-8, or the system's bytes of a path), at once.
void write_line(std::FILE* stream, const std::string& line);

constexpr int kBarWidth = 30; // of a progress bar that has the room

// A progress bar bar_width wide with the percent, as the live line draws it;
// 0 wide: the percent alone.
std::string progress_bar(int percent, int bar_width = kBarWidth);

// Lines that hold a progress bar (made with the bar width given), made to fit
// a terminal columns wide: short of its last column, since a line the
// terminal wrapped would take two rows and a redraw climbs one row per line.
// The bar narrows first, down to the percent alone; then the lines' ends (the
// message, the time left) are cut. columns 0 (not known): as made.
std::vector<std::string> fit_to_width(const std::function<std::vector<std::string>(int bar_width)>& make_lines,
                                      int columns);

enum class Phase { Quiet, Connecting, Loading, Programming };

class LiveOutput final : public rt::ConsoleObserver {
public:
  // Lines of its own go to stream (standard output, or standard error while
  // standard output carries the events); events may be nullptr.
  LiveOutput(const Texts& texts, std::FILE* stream, EventStream* events);

  // Follows the attempt count or the programming progress from now on;
  // Quiet ends a live line.
  void follow(Phase phase);

  void say(const std::string& line); // the stream
  // The line that ends a run, which adds to its result; events carry the result alone.
  void conclude(const std::string& result, const std::string& line);
  void complain(const std::string& line); // standard error
  void use_port(const std::string& label);
  void identified(const std::string& device, const std::string& version);

  void control_changed(const rt::PanelControl& control, rt::Change change) override;
  // The system's messages that end a step stay off the console: the command
  // line says each such ending once, in its own words.
  bool before_message(const rt::ShownMessage& message) override;

private:
  using Clock = std::chrono::steady_clock;

  void show_attempt(const rt::PanelControl& counter);
  void show_progress(const rt::PanelControl& indicator);
  std::string time_left(double done) const;
  void draw(const std::string& line);
  void end_live_line();

  const Texts& texts_;
  std::FILE* const stream_;
  const bool terminal_;
  EventStream* const events_;
  Phase phase_ = Phase::Quiet;
  std::size_t live_width_ = 0; // characters of the live line drawn; 0: none
  int reached_percent_ = 0;
  Clock::time_point started_;
  Clock::time_point drawn_;
};

} // namespace cli
