// A file's content as it was when this was made, to be put back later.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace cli {

class KeptFile {
public:
  explicit KeptFile(const QString& path);

  // The content as it was; a file that did not exist is removed.
  void put_back() const;

private:
  QString path_;
  std::optional<QByteArray> content_;
};

} // namespace cli
