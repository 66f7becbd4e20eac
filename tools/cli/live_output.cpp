#include "live_output.h"

#include "24GHz_prog.h"
#include "outcome.h"
#include "terminal.h"
#include "text.h"

#include <algorithm>
#include <cstdio>

namespace cli {
namespace {

using namespace std::chrono_literals;

constexpr int kNarrowestBar = 5;        // narrower shows too little to be worth its brackets
constexpr int kPlainStep = 25;          // percent between plain progress lines
constexpr auto kRedrawInterval = 200ms; // keeps the time left fresh without flicker

int percent_of(const rt::PanelControl& indicator) {
  if (indicator.maximum <= 0) return 100;
  const long long percent = 100LL * indicator.value / indicator.maximum;
  return static_cast<int>(std::clamp(percent, 0LL, 100LL));
}

EventPhase event_phase(Phase phase) {
  switch (phase) {
  case Phase::Connecting: return EventPhase::Connecting;
  case Phase::Loading: return EventPhase::Loading;
  case Phase::Programming: return EventPhase::Programming;
  case Phase::Quiet: break;
  }
  return EventPhase::Start;
}

// The line cut short of the last column of a terminal columns wide; columns
// 0 (not known): whole.
std::string cut_to_width(const std::string& line, int columns) {
  return columns > 1 ? left_chars(line, static_cast<std::size_t>(columns - 1)) : line;
}

} // namespace

std::string progress_bar(int percent, int bar_width) {
  char percent_text[16];
  std::snprintf(percent_text, sizeof percent_text, "%3d %%", percent);
  if (bar_width <= 0) return percent_text;
  const int filled = bar_width * percent / 100;
  return "[" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(bar_width - filled), '-') + "] " + percent_text;
}

std::vector<std::string> fit_to_width(const std::function<std::vector<std::string>(int bar_width)>& make_lines,
                                      int columns) {
  std::vector<std::string> lines = make_lines(kBarWidth);
  long long widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, static_cast<long long>(width_of(line)));
  const long long room = columns - 1;
  if (room <= 0 || widest <= room) return lines;
  // Each column the bar gives up shortens the widest line by one.
  const auto narrower = static_cast<int>(kBarWidth - (widest - room));
  lines = make_lines(narrower >= kNarrowestBar ? narrower : 0);
  for (std::string& line : lines) line = cut_to_width(line, columns);
  return lines;
}

void write_line(std::FILE* stream, const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

LiveOutput::LiveOutput(const Texts& texts, std::FILE* stream, EventStream* events)
    : texts_(texts), stream_(stream), terminal_(rt::is_terminal(stream)), events_(events) {}

void LiveOutput::follow(Phase phase) {
  end_live_line();
  phase_ = phase;
  if (phase == Phase::Quiet) return; // what was seen stays readable
  if (events_) events_->enter(event_phase(phase));
  reached_percent_ = 0;
  started_ = Clock::now();
  drawn_ = {};
}

void LiveOutput::say(const std::string& line) {
  end_live_line();
  write_line(stream_, line);
  if (events_) events_->said(line);
}

void LiveOutput::conclude(const std::string& result, const std::string& line) {
  end_live_line();
  write_line(stream_, line);
  if (events_) events_->said(result);
}

bool LiveOutput::before_message(const rt::ShownMessage& message) {
  end_live_line();
  return !ends_a_step(message);
}

void LiveOutput::complain(const std::string& line) {
  end_live_line();
  write_line(stderr, line);
  if (events_) events_->complained(line);
}

void LiveOutput::use_port(const std::string& label) {
  if (events_) events_->use_port(label);
}

void LiveOutput::identified(const std::string& device, const std::string& version) {
  if (events_) events_->identified(device, version);
  say(format(texts_.device, {device, version}));
}

void LiveOutput::control_changed(const rt::PanelControl& control, rt::Change change) {
  if (change != rt::Change::Value) return;
  if (phase_ == Phase::Connecting && control.id == PANEL_CONNECT_PROGRESS) show_attempt(control);
  if (phase_ == Phase::Programming && control.id == PANEL_FLASH_PROGRESS) show_progress(control);
}

void LiveOutput::show_attempt(const rt::PanelControl& counter) {
  if (terminal_) draw(format(texts_.waiting, {std::to_string(counter.value), std::to_string(counter.maximum)}));
}

// A failed run puts the indicator back to 0; what was reached stays shown.
void LiveOutput::show_progress(const rt::PanelControl& indicator) {
  const int percent = percent_of(indicator);
  if (percent < reached_percent_) return;
  if (events_ && percent > reached_percent_) events_->progress(percent);
  if (!terminal_) {
    if (percent / kPlainStep > reached_percent_ / kPlainStep) {
      write_line(stream_, format("%1 %2 %", {indicator.label, std::to_string(percent / kPlainStep * kPlainStep)}));
    }
    reached_percent_ = percent;
    return;
  }
  const auto now = Clock::now();
  if (percent == reached_percent_ && now - drawn_ < kRedrawInterval) return;
  reached_percent_ = percent;
  drawn_ = now;
  const double done = indicator.maximum > 0 ? double(indicator.value) / indicator.maximum : 1.0;
  const std::string left = time_left(done);
  const auto line = [&](int bar_width) {
    return std::vector<std::string>{format("%1 %2  %3", {indicator.label, progress_bar(percent, bar_width), left})};
  };
  draw(fit_to_width(line, rt::terminal_columns(stream_)).front());
}

std::string LiveOutput::time_left(double done) const {
  if (done <= 0.0) return format(texts_.time_left, {"-:--"});
  const std::chrono::duration<double> elapsed = Clock::now() - started_;
  const auto seconds = static_cast<long long>(elapsed.count() * (1.0 - std::min(done, 1.0)) / done + 0.5);
  char clock[32];
  std::snprintf(clock, sizeof clock, "%lld:%02lld", seconds / 60, seconds % 60);
  return format(texts_.time_left, {clock});
}

// Cut short of the last column: a wrapped line would not be redrawn in place.
void LiveOutput::draw(const std::string& line) {
  const std::string fitted = cut_to_width(line, rt::terminal_columns(stream_));
  std::fprintf(stream_, "\r%s", padded(fitted, live_width_).c_str());
  std::fflush(stream_);
  live_width_ = std::max(live_width_, width_of(fitted));
}

void LiveOutput::end_live_line() {
  if (live_width_ == 0) return;
  std::fputc('\n', stream_);
  std::fflush(stream_);
  live_width_ = 0;
}

} // namespace cli
