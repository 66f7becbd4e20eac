#include "workshop_view.h"

#include "live_output.h"
#include "table.h"
#include "terminal.h"
#include "text.h"

namespace cli {
namespace {

using namespace std::chrono_literals;

constexpr int kPlainStep = 25;          // percent between plain progress lines, as for one port
constexpr auto kRedrawInterval = 200ms; // many ports change often; the eye needs no more
constexpr char kCursorUp[] = "\x1b[%dA";
constexpr char kClearToEnd[] = "\x1b[K";
constexpr int kUnknownStatus = 1; // internal error: the run never said how it ended

std::string device_of(const PortRow& row) {
  return row.device.empty() ? std::string() : row.device + ' ' + row.version;
}

} // namespace

int final_status(const PortRow& row) { return row.status.value_or(kUnknownStatus); }

WorkshopView::WorkshopView(const Texts& texts, std::FILE* stream, const std::vector<std::string>& ports)
    : texts_(texts), stream_(stream), terminal_(rt::is_terminal(stream)) {
  for (const std::string& port : ports) rows_.push_back({port, {}, {}, 0, {}, std::nullopt, 0});
}

void WorkshopView::show(std::size_t port, const Event& event) {
  PortRow& row = rows_[port];
  changed_ = true;
  if (!event.device.empty()) {
    row.device = event.device;
    row.version = event.version;
  }
  if (!event.message.empty()) {
    row.message = event.message;
    plain(row, event.message);
  }
  if (!event.percent || *event.percent <= row.percent) return;
  if (*event.percent / kPlainStep > row.percent / kPlainStep) {
    plain(row, std::to_string(*event.percent / kPlainStep * kPlainStep) + " %");
  }
  row.percent = *event.percent;
}

void WorkshopView::finish(std::size_t port, int status, const std::string& message, double seconds) {
  PortRow& row = rows_[port];
  row.status = status;
  row.message = message;
  row.seconds = seconds;
  changed_ = true;
  drawn_ = {}; // a result is shown at once
}

void WorkshopView::plain(const PortRow& row, const std::string& text) const {
  if (!terminal_) write_line(stream_, row.port + ": " + text);
}

void WorkshopView::refresh() {
  if (!terminal_ || !changed_ || Clock::now() - drawn_ < kRedrawInterval) return;
  const auto live_lines = [this](int bar_width) {
    std::vector<TableRow> live;
    for (const PortRow& row : rows_) {
      live.push_back({row.port, device_of(row), progress_bar(row.percent, bar_width), row.message});
    }
    return aligned(live);
  };
  if (drawn_once_) std::fprintf(stream_, kCursorUp, static_cast<int>(rows_.size()));
  for (const std::string& line : fit_to_width(live_lines, rt::terminal_columns(stream_))) {
    std::fprintf(stream_, "\r%s%s\n", line.c_str(), kClearToEnd);
  }
  std::fflush(stream_);
  drawn_once_ = true;
  changed_ = false;
  drawn_ = Clock::now();
}

void WorkshopView::summary() const {
  std::vector<TableRow> table = {
      {texts_.summary_port, texts_.summary_device, texts_.summary_result, texts_.summary_seconds}};
  int failed = 0;
  for (const PortRow& row : rows_) {
    const int status = final_status(row);
    if (status != 0) ++failed;
    table.push_back({row.port, device_of(row), std::to_string(status) + ' ' + row.message, one_decimal(row.seconds)});
  }
  write_line(stream_, {});
  for (const std::string& line : aligned(table)) write_line(stream_, line);
  if (failed > 0) {
    write_line(stream_, format(texts_.ports_failed, {std::to_string(failed), std::to_string(rows_.size())}));
  }
}

} // namespace cli
