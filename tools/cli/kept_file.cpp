#include "kept_file.h"

#include <QFile>
#include <QSaveFile>

namespace cli {

KeptFile::KeptFile(const QString& path) : path_(path) {
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) content_ = file.readAll();
}

void KeptFile::put_back() const {
  if (!content_) {
    QFile::remove(path_);
    return;
  }
  QSaveFile file(path_);
  if (file.open(QIODevice::WriteOnly) && file.write(*content_) == content_->size()) file.commit();
}

} // namespace cli
