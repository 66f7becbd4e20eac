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

// A control no larger than the window's view must show whole once scrolled
// to; a larger one (a long text on a tiny screen) at each of its ends.
bool reachable(QScrollArea* frame, QWidget* control, const QRect& available) {
  const QWidget* view = frame ? frame->viewport() : control->window();
  const auto shows = [&](const QRect& part) {
    QApplication::processEvents();
    const QRect on_screen(control->mapToGlobal(part.topLeft()), part.size());
    return QRect(view->mapToGlobal(QPoint(0, 0)), view->size()).contains(on_screen) && available.contains(on_screen);
  };
  if (control->width() <= view->width() && control->height() <= view->height()) {
    if (frame) frame->ensureWidgetVisible(control, 0, 0);
    return shows(control->rect());
  }
  for (const QPoint end : {control->rect().topLeft(), control->rect().bottomRight()}) {
    if (frame) {
      const QPoint in_panel = control->mapTo(frame->widget(), end);
      frame->ensureVisible(in_panel.x(), in_panel.y(), 1, 1); // a margin of 0 leaves the point just past the view
    }
    if (!shows(QRect(end, QSize(1, 1)))) return false;
  }
  return true;
}

// The window must lie inside the screen's free area, and every control be
// within reach there, scrolling where the window scrolls.
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
    if (!reachable(frame, control, available)) {
      outside << QStringLiteral("%1 (%2)").arg(control->objectName(),
                                               rect_text(QRect(control->mapToGlobal(QPoint(0, 0)), control->size())));
    }
  }
  if (frame) { // back to where the window opens
    frame->horizontalScrollBar()->setValue(0);
    frame->verticalScrollBar()->setValue(0);
    QApplication::processEvents();
  }
  return outside;
}

// What the screen shows of the window: a window that overhangs it is cut.
QPixmap screenshot(QWidget* window) {
  window->repaint(); // all of it drawn as it stands now, scroll bars too
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
