// A record of what went over the serial lines, for a user whose update fails
// on real hardware to send along: one line per frame written and per read,
//   <microseconds since the trace began> <port> <attempt> sent|received <bytes in hex>
// and a read that timed out short ends with "(N of M bytes)".
#pragma once

#include "idle.h"

#include <QFile>
#include <QString>
#include <span>

namespace rt {

class LineTrace {
public:
  // Creates or empties the file; is_open() tells whether that worked.
  explicit LineTrace(const QString& path);

  bool is_open() const { return file_.isOpen(); }

  void sent(const QString& port, int attempt, std::span<const unsigned char> bytes);
  void received(const QString& port, int attempt, std::span<const unsigned char> bytes, int expected);

private:
  void write(const QString& port, int attempt, const char* direction, std::span<const unsigned char> bytes,
             const QString& tail);

  QFile file_;
  Clock::time_point start_;
};

} // namespace rt
