#include "line_trace.h"

#include <QFileInfo>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/types.h> // before sys/stat.h, as the Windows C library wants

#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rt {
namespace {

std::filesystem::path native(const QString& path) { return QFileInfo(path).filesystemFilePath(); }

#ifdef _WIN32
// Opening a pipe or a device does not wait on Windows.
int open_without_emptying(const QString& path) {
  return _wopen(path.toStdWString().c_str(), _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

bool is_regular(int fd) {
  struct _stat64 status;
  return _fstat64(fd, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
}

// Windows gives a descriptor no file identity; the names are compared by the files they lead to.
bool is_same_file(int, const QString& path, const std::string& other) {
  std::error_code error;
  return std::filesystem::equivalent(native(path), native(QString::fromUtf8(other)), error);
}

bool empty(int fd) { return _chsize_s(fd, 0) == 0; }

void close_descriptor(int fd) { _close(fd); }
#else
// Without O_NONBLOCK, opening a FIFO waits for a reader.
int open_without_emptying(const QString& path) {
  return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
}

bool is_regular(int fd) {
  struct stat status;
  return fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

// The file opened against the file the other name leads to: device and inode.
bool is_same_file(int fd, const QString&, const std::string& other) {
  struct stat opened;
  struct stat named;
  return fstat(fd, &opened) == 0 && stat(other.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
         opened.st_ino == named.st_ino;
}

bool empty(int fd) { return ftruncate(fd, 0) == 0; }

void close_descriptor(int fd) { close(fd); }
#endif

// A path that names something other than a regular file, such as a pipe with
// no reader, which cannot even be opened without waiting.
bool names_other_than_regular_file(const QString& path) {
  std::error_code error;
  const auto status = std::filesystem::status(native(path), error);
  return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

} // namespace

LineTrace::LineTrace(const QString& path, const std::vector<std::string>& guarded)
    : opening_(open(path, guarded)), start_(Clock::now()) {}

TraceOpening LineTrace::open(const QString& path, const std::vector<std::string>& guarded) {
  const int fd = open_without_emptying(path);
  if (fd == -1) return names_other_than_regular_file(path) ? TraceOpening::NotRegularFile : TraceOpening::CannotOpen;
  const TraceOpening found = what_is_opened(fd, path, guarded);
  if (found == TraceOpening::Open && empty(fd) &&
      file_.open(fd, QIODevice::WriteOnly | QIODevice::Text, QFileDevice::AutoCloseHandle)) {
    return TraceOpening::Open;
  }
  close_descriptor(fd);
  return found == TraceOpening::Open ? TraceOpening::CannotOpen : found;
}

// Open when the file may be emptied and written.
TraceOpening LineTrace::what_is_opened(int fd, const QString& path, const std::vector<std::string>& guarded) {
  for (std::size_t index = 0; index < guarded.size(); ++index) {
    if (!is_same_file(fd, path, guarded[index])) continue;
    guarded_index_ = index;
    return TraceOpening::Guarded;
  }
  return is_regular(fd) ? TraceOpening::Open : TraceOpening::NotRegularFile;
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
  const bool written = file_.write(line) == line.size() && file_.flush();
  complete_ = complete_ && written;
}

} // namespace rt
