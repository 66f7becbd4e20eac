#include "system_text.h"
#include "utility.h"

#include <QFile>
#include <QSaveFile>

std::FILE* OpenFile(const char* path, const char* mode) {
  const QString name = rt::from_system_text(path);
#ifdef _WIN32
  return _wfopen(reinterpret_cast<const wchar_t*>(name.utf16()),
                 reinterpret_cast<const wchar_t*>(QString::fromLatin1(mode).utf16()));
#else
  return std::fopen(QFile::encodeName(name).constData(), mode);
#endif
}

namespace {

QByteArray with_platform_line_ends(const char* data, std::size_t length) {
  QByteArray content(data, static_cast<qsizetype>(length));
#ifdef _WIN32
  content.replace("\n", "\r\n");
#endif
  return content;
}

// Every byte written and flushed to the system; a full disk shows here, not later.
bool write_all(QFileDevice& file, const QByteArray& content) {
  return file.write(content) == content.size() && file.flush();
}

// Without room for a temporary file beside it (a read-only folder, no free
// inode), the file is overwritten without being truncated first: the few
// bytes of settings fit the blocks the old content already holds.
int overwrite_in_place(const QString& path, const QByteArray& content) {
  QFile file(path);
  if (!file.exists() || !file.open(QIODevice::ReadWrite)) return -1;
  return write_all(file, content) && file.resize(content.size()) ? 0 : -1;
}

} // namespace

int ReplaceTextFile(const char* path, const char* data, std::size_t length) {
  const QString name = rt::from_system_text(path);
  const QByteArray content = with_platform_line_ends(data, length);
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly)) return overwrite_in_place(name, content);
  // Uncommitted, the temporary file is removed and the old one stays whole.
  if (!write_all(file, content)) return -1;
  return file.commit() ? 0 : -1;
}
