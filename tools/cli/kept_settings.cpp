#include "kept_settings.h"

#include "files.h"
#include "live_output.h"
#include "qt_text.h"
#include "user_settings.h"
#include "util.h"

#include <QByteArray>
#include <QDir>

namespace cli {

QString user_settings_file() {
  const QString folder = rt::from_system_text(rt::user_settings_folder());
  return folder.isEmpty() ? QString() : QDir(folder).filePath(QLatin1String(kovo::kSettingsFile));
}

KeptSettings::KeptSettings(SettingsUse use, const Texts& texts) {
  rt::UserSettings settings;
  if (use == SettingsUse::Stored) {
    path_ = user_settings_file();
    if (!path_.isEmpty()) settings = rt::read_user_settings(rt::to_system_text(path_), kovo::kMaxSettingsFileBytes);
  }
  if (settings.found == rt::SettingsFound::Unreadable) {
    write_line(stderr, QString::fromUtf8(texts.settings_unreadable).arg(QDir::toNativeSeparators(path_)));
    path_.clear();
  }
  // The system takes the first line for the port.
  port_stored_ = settings.found == rt::SettingsFound::Read &&
                 !QByteArray::fromStdString(settings.content).split('\n').constFirst().trimmed().isEmpty();
  rt::keep_settings_in_memory(kovo::kSettingsFile, settings);
}

void KeptSettings::store() const {
  if (path_.isEmpty() || !device_answered_) return;
  // When the file cannot be written the run's result stands; the old file stays whole.
  if (const auto content = rt::settings_in_memory(kovo::kSettingsFile))
    rt::store_user_settings(rt::to_system_text(path_), *content);
}

} // namespace cli
