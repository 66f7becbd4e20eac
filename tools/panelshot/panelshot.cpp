// Shows the real window in German and English, saves a screenshot of the
// screen where the window is for each, and fails when a text on it is clipped (a label or button
// narrower or lower than its text needs, a panel squeezed below what its
// layout asks for) or when the window or a control lies outside the screen's
// free area, or, scrolled to, outside the window's view.
//
//   kovo-panelshot OUTPUT_FOLDER      (exit 0: all texts whole and in reach, 1: not, 2: usage)
#include "main.h"
#include "session.h"
#include "widgets_runtime.h"

#include "glob.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

QString rect_text(const QRect& rect) {
  return QStringLiteral("%1x%2%3%4%5%6")
      .arg(rect.width())
      .arg(rect.height())
      .arg(rect.x() < 0 ? "" : "+")
      .arg(rect.x())
      .arg(rect.y() < 0 ? "" : "+")
      .arg(rect.y());
}

// The panel: the window itself, or what its scroll area holds.
QWidget* panel_of(QWidget* window) {
  auto* frame = qobject_cast<QScrollArea*>(window);
  return frame ? frame->widget() : window;
}

QStringList clipped_texts(QWidget* window) {
  QStringList clipped;
  const QWidget* panel = panel_of(window);
  if (panel->width() < panel->minimumSizeHint().width() || panel->height() < panel->minimumSizeHint().height()) {
    clipped << QStringLiteral("the panel itself");
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

// Every control, scrolled into view where the window scrolls, must lie whole
// inside the view and the screen's free area; so must the window.
QStringList out_of_reach(QWidget* window) {
  QStringList outside;
  const QRect available = window->screen()->availableGeometry();
  if (!available.contains(window->frameGeometry())) {
    outside << QStringLiteral("the window (%1 on a free area of %2)")
                   .arg(rect_text(window->frameGeometry()), rect_text(available));
  }
  auto* frame = qobject_cast<QScrollArea*>(window);
  for (QWidget* control : window->findChildren<QWidget*>()) {
    if (!control->property("ctrlId").isValid() || !control->isVisible()) continue;
    if (frame) frame->ensureWidgetVisible(control, 0, 0);
    QApplication::processEvents();
    const QWidget* view = frame ? frame->viewport() : window;
    const QRect in_view(view->mapToGlobal(QPoint(0, 0)), view->size());
    const QRect shown(control->mapToGlobal(QPoint(0, 0)), control->size());
    if (!in_view.contains(shown) || !available.contains(shown)) {
      outside << QStringLiteral("%1 (%2)").arg(control->objectName(), rect_text(shown));
    }
  }
  if (frame) { // back to where the window opens
    frame->horizontalScrollBar()->setValue(0);
    frame->verticalScrollBar()->setValue(0);
  }
  return outside;
}

// What the screen shows of the window: a window that overhangs it is cut.
QPixmap screenshot(QWidget* window) {
  QScreen* screen = window->screen();
  const QRect shown = window->frameGeometry() & screen->geometry();
  return screen->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height());
}

// Switches the language as the user does, then takes the screenshot and checks.
bool render_language(const rt::WidgetsRuntime& runtime, const char* button, const QString& file) {
  QWidget* window = runtime.panel_window(kovo::MAIN_P);
  window->findChild<QAbstractButton*>(QString::fromLatin1(button))->click();
  QApplication::processEvents();
  const QStringList clipped = clipped_texts(window);
  const QStringList outside = out_of_reach(window);
  const bool saved = screenshot(window).save(file);
  for (const QString& text : clipped) std::fprintf(stderr, "clipped in %s: %s\n", qPrintable(file), qPrintable(text));
  for (const QString& text : outside)
    std::fprintf(stderr, "out of reach in %s: %s\n", qPrintable(file), qPrintable(text));
  if (!saved) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
  const bool whole = saved && clipped.isEmpty() && outside.isEmpty();
  std::printf("%s %s\n", qPrintable(file), whole ? "whole" : "CLIPPED OR OUT OF REACH");
  return whole;
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
