// What a person sees of a workshop run: on a terminal one live line per port
// (port, device and bootloader version, percent, then the result), redrawn in
// place; into a file or pipe plain lines prefixed by the port. At the end a
// summary table: port, device, result, seconds.
#pragma once

#include "events.h"
#include "texts.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct PortRow {
  std::string port;
  std::string device;  // type, once identified
  std::string version; // of the bootloader, once identified
  int percent = 0;     // of programming
  std::string message; // the last line the port's run showed; at the end, why it ended so
  std::optional<int> status;
  double seconds = 0;
};

// A port's exit status; one without any has not succeeded.
int final_status(const PortRow& row);

class WorkshopView {
public:
  WorkshopView(const Texts& texts, std::FILE* stream, const std::vector<std::string>& ports);

  void show(std::size_t port, const Event& event);
  void finish(std::size_t port, int status, const std::string& message, double seconds);
  // Draws the live lines if something changed since they were drawn last.
  void refresh();
  void summary() const;

  const std::vector<PortRow>& rows() const { return rows_; }

private:
  using Clock = std::chrono::steady_clock;

  void plain(const PortRow& row, const std::string& text) const;

  const Texts& texts_;
  std::FILE* const stream_;
  const bool terminal_;
  std::vector<PortRow> rows_;
  bool drawn_once_ = false;
  bool changed_ = true;
  Clock::time_point drawn_;
};

} // namespace cli
