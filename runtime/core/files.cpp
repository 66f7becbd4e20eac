#include "cp1252.h"
#include "utility.h"

#include <QFile>
#include <QSaveFile>

std::FILE* OpenFile(const char* path, const char* mode) {
  const QString name = rt::from_cp1252(path);
#ifdef _WIN32
  return _wfopen(reinterpret_cast<const wchar_t*>(name.utf16()),
                 reinterpret_cast<const wchar_t*>(QString::fromLatin1(mode).utf16()));
#else
  return std::fopen(QFile::encodeName(name).constData(), mode);
#endif
}

int ReplaceTextFile(const char* path, const char* data, std::size_t length) {
  QSaveFile file(rt::from_cp1252(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return -1;
  if (file.write(data, static_cast<qint64>(length)) != static_cast<qint64>(length)) return -1;
  return file.commit() ? 0 : -1;
}
