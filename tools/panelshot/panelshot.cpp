// Renders the real window in German and English to PNG files and fails when a
// text on it is clipped: a label or button narrower or lower than its text
// needs, or a window squeezed below what its layout asks for.
//
//   kovo-panelshot OUTPUT_FOLDER      (exit 0: all texts whole, 1: clipped, 2: usage)
#include "main.h"
#include "session.h"
#include "widgets_runtime.h"

#include "glob.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

QStringList clipped_texts(QWidget* window) {
  QStringList clipped;
  if (window->width() < window->minimumSizeHint().width() || window->height() < window->minimumSizeHint().height()) {
    clipped << QStringLiteral("the window itself");
  }
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const bool shows_text = qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget);
    if (!shows_text || !widget->isVisible()) continue;
    const QSize needed = widget->sizeHint();
    if (widget->width() < needed.width() || widget->height() < needed.height()) {
      clipped << QStringLiteral("%1 (%2x%3, needs %4x%5)")
                     .arg(widget->objectName())
                     .arg(widget->width())
                     .arg(widget->height())
                     .arg(needed.width())
                     .arg(needed.height());
    }
  }
  return clipped;
}

// Switches the language as the user does, then renders and checks.
bool render_language(const rt::WidgetsRuntime& runtime, const char* button, const QString& file) {
  QWidget* window = runtime.panel_window(kovo::MAIN_P);
  window->findChild<QAbstractButton*>(QString::fromLatin1(button))->click();
  QApplication::processEvents();
  const bool saved = window->grab().save(file);
  const QStringList clipped = clipped_texts(window);
  for (const QString& text : clipped) std::fprintf(stderr, "clipped in %s: %s\n", qPrintable(file), qPrintable(text));
  if (!saved) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
  std::printf("%s %s\n", qPrintable(file), clipped.isEmpty() && saved ? "whole" : "CLIPPED");
  return saved && clipped.isEmpty();
}

} // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  if (argc != 2) {
    std::fprintf(stderr, "usage: kovo-panelshot OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir output(QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1])));
  output.mkpath(QStringLiteral("."));
  QTemporaryDir settings_folder; // the language buttons store settings; keep them out of the way
  QDir::setCurrent(settings_folder.path());
  rt::Session session;
  rt::WidgetsRuntime runtime;
  bool whole = true;
  QTimer::singleShot(0, [&] {
    whole = render_language(runtime, "PANEL_GERMAN", output.filePath(QStringLiteral("panel-de.png"))) && whole;
    whole = render_language(runtime, "PANEL_ENGLISH", output.filePath(QStringLiteral("panel-en.png"))) && whole;
    QuitUserInterface(0);
  });
  const int result = kovo::main(argc, argv);
  return result != 0 ? result : whole ? 0 : 1;
}
