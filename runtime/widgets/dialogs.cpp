// The modal dialogs. A test's DialogScript answers them in place of a person.
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
#include <cstring>

namespace {

using rt::testing::DialogScript;

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

std::optional<std::string> ask_person(const DialogScript::FileRequest& request) {
  QFileDialog dialog(QApplication::activeWindow(), rt::from_system_text(request.title),
                     start_folder(rt::from_system_text(request.default_directory)));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilter(name_filters(rt::from_system_text(request.file_type_list), request.restrict_extension != 0));
  if (request.button_label == VAL_LOAD_BUTTON) {
    // Qt's own texts have no load button.
    dialog.setLabelText(QFileDialog::Accept, dialogs_in_german ? QStringLiteral("Laden") : QStringLiteral("Load"));
  }
  dialog.setOption(QFileDialog::ReadOnly, request.allow_make_directory == 0);
  // A typed name gets past the filter; with the extension restricted, ask again.
  const QStringList patterns = rt::from_system_text(request.file_type_list).split(QLatin1Char(';'), Qt::SkipEmptyParts);
  while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    const QString chosen = dialog.selectedFiles().constFirst();
    if (!request.restrict_extension || QDir::match(patterns, QFileInfo(chosen).fileName())) {
      return rt::to_system_text(QDir::toNativeSeparators(chosen));
    }
  }
  return std::nullopt;
}

} // namespace

int SetDialogLanguage(int language) {
  static QTranslator german;
  static const bool german_found =
      german.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (language != 0 && language != 1) return UIE_INVALID_VALUE;
  // Without Qt's German texts installed, the dialogs stay English.
  dialogs_in_german = language == 0;
  if (language == 0 && german_found) QCoreApplication::installTranslator(&german);
  if (language == 1) QCoreApplication::removeTranslator(&german);
  return 0;
}

int MessagePopup(const char* title, const char* message) {
  if (DialogScript* script = DialogScript::active()) {
    script->record_message({title, message});
    return 0;
  }
  QMessageBox box(QMessageBox::NoIcon, rt::from_system_text(title), rt::from_system_text(message), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
  return 0;
}

int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec, const char* fileTypeList,
                    const char* title, int buttonLabel, int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char* pathBuffer) {
  const DialogScript::FileRequest request{defaultDirectory,  defaultFileSpec,   fileTypeList,      title,
                                          buttonLabel,       restrictDirectory, restrictExtension, allowCancel,
                                          allowMakeDirectory};
  DialogScript* script = DialogScript::active();
  const auto chosen = script ? script->answer_file_request(request) : ask_person(request);
  pathBuffer[0] = '\0';
  if (!chosen) return VAL_NO_FILE_SELECTED;
  // A path too long for the buffer is left empty rather than cut into another
  // path: opening it then fails visibly.
  if (chosen->size() < static_cast<std::size_t>(MAX_PATHNAME_LEN)) {
    std::memcpy(pathBuffer, chosen->c_str(), chosen->size() + 1);
  }
  return VAL_EXISTING_FILE_SELECTED;
}
