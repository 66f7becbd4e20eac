// The modal dialogs. A test's DialogScript answers them in place of a person.
#include "dialogs.h"

#include "dialog_script.h"
#include "qt_text.h"
#include "userint.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

namespace rt {
namespace {

using testing::DialogScript;

bool dialogs_in_german = true; // as the system starts

// The dialog opens in the given folder, or in the folder of a given file.
QString start_folder(const QString& given) {
  if (given.isEmpty()) return QDir::currentPath();
  const QFileInfo info(given);
  return info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

QString name_filters(const QString& fileTypeList, bool restrictExtension) {
  QString filters = fileTypeList.isEmpty() ? QStringLiteral("*") : fileTypeList;
  filters.replace(QLatin1Char(';'), QLatin1Char(' '));
  if (!restrictExtension) filters += QStringLiteral(";;*");
  return filters;
}

std::optional<std::string> ask_person(const FileRequest& request) {
  QFileDialog dialog(QApplication::activeWindow(), from_system_text(request.title),
                     start_folder(from_system_text(request.default_directory)));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilter(name_filters(from_system_text(request.file_type_list), request.restrict_extension != 0));
  if (request.button_label == VAL_LOAD_BUTTON) {
    // Qt's own texts have no load button.
    dialog.setLabelText(QFileDialog::Accept, dialogs_in_german ? QStringLiteral("Laden") : QStringLiteral("Load"));
  }
  dialog.setOption(QFileDialog::ReadOnly, request.allow_make_directory == 0);
  // A typed name gets past the filter; with the extension restricted, ask again.
  const QStringList patterns = from_system_text(request.file_type_list).split(QLatin1Char(';'), Qt::SkipEmptyParts);
  while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    const QString chosen = dialog.selectedFiles().constFirst();
    if (!request.restrict_extension || QDir::match(patterns, QFileInfo(chosen).fileName())) {
      return to_system_text(QDir::toNativeSeparators(chosen));
    }
  }
  return std::nullopt;
}

} // namespace

void set_dialog_language(int language) {
  static QTranslator german;
  static const bool german_found =
      german.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  // Without Qt's German texts installed, the dialogs stay English.
  dialogs_in_german = language == 0;
  if (language == 0 && german_found) QCoreApplication::installTranslator(&german);
  if (language == 1) QCoreApplication::removeTranslator(&german);
}

void show_message_box(const ShownMessage& message) {
  if (DialogScript* script = DialogScript::active()) return script->record_message(message);
  QMessageBox box(QMessageBox::NoIcon, from_system_text(message.title), from_system_text(message.text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

std::optional<std::string> ask_for_file(const FileRequest& request) {
  DialogScript* script = DialogScript::active();
  return script ? script->answer_file_request(request) : ask_person(request);
}

} // namespace rt
