// Everything the command-line program writes while it runs: lines of its
// own, and the live line that follows the connect attempts or the programming
// progress as the system sets them on the panel. On a terminal the live line
// is redrawn in place; into a file or pipe only a few plain lines go. With
// an event stream every line and every percent also goes out as an event.
#pragma once

#include "console_runtime.h"
#include "events.h"
#include "texts.h"

#include <QString>
#include <chrono>
#include <cstdio>

namespace cli {

// One line in the locale's encoding, at once.
void write_line(std::FILE* stream, const QString& line);

// A progress bar with the percent, as the live line draws it.
QString progress_bar(int percent);

enum class Phase { Quiet, Connecting, Loading, Programming };

class LiveOutput final : public rt::ConsoleObserver {
public:
  // Lines of its own go to stream (standard output, or standard error while
  // standard output carries the events); events may be nullptr.
  LiveOutput(const Texts& texts, std::FILE* stream, EventStream* events);

  // Follows the attempt count or the programming progress from now on;
  // Quiet ends a live line.
  void follow(Phase phase);

  void say(const QString& line); // the stream
  // The line that ends a run, which adds to its result; events carry the result alone.
  void conclude(const QString& result, const QString& line);
  void complain(const QString& line); // standard error
  void use_port(const QString& label);
  void identified(const QString& device, const QString& version);

  void control_changed(const rt::ConsoleControl& control, rt::Change change) override;
  // The system's messages that end a step stay off the console: the command
  // line says each such ending once, in its own words.
  bool before_message(const rt::ShownMessage& message) override;

private:
  using Clock = std::chrono::steady_clock;

  void show_attempt(const rt::ConsoleControl& counter);
  void show_progress(const rt::ConsoleControl& indicator);
  QString time_left(double done) const;
  void draw(const QString& line);
  void end_live_line();

  const Texts& texts_;
  std::FILE* const stream_;
  const bool terminal_;
  EventStream* const events_;
  Phase phase_ = Phase::Quiet;
  qsizetype live_width_ = 0; // characters of the live line drawn; 0: none
  int reached_percent_ = 0;
  Clock::time_point started_;
  Clock::time_point drawn_;
};

} // namespace cli
