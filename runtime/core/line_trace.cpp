#include "line_trace.h"

namespace rt {

LineTrace::LineTrace(const QString& path) : file_(path), start_(Clock::now()) {
  file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
}

void LineTrace::sent(const QString& port, int attempt, std::span<const unsigned char> bytes) {
  write(port, attempt, "sent", bytes, {});
}

void LineTrace::received(const QString& port, int attempt, std::span<const unsigned char> bytes, int expected) {
  const bool short_read = static_cast<int>(bytes.size()) < expected;
  write(port, attempt, "received", bytes,
        short_read ? QStringLiteral(" (%1 of %2 bytes)").arg(bytes.size()).arg(expected) : QString());
}

void LineTrace::write(const QString& port, int attempt, const char* direction, std::span<const unsigned char> bytes,
                      const QString& tail) {
  const auto since_start = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_);
  QByteArray line = QByteArray::number(static_cast<qlonglong>(since_start.count())) + ' ' + port.toUtf8() + ' ' +
                    QByteArray::number(attempt) + ' ' + direction;
  for (unsigned char byte : bytes) line += ' ' + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
  line += tail.toUtf8() + '\n';
  // Flushed line by line: a trace is wanted most from a run that ends badly.
  file_.write(line);
  file_.flush();
}

} // namespace rt
