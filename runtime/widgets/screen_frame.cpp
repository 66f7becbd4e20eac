#include "screen_frame.h"

#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

namespace rt {
namespace {

constexpr char kFrameName[] = "panelFrame";

} // namespace

std::unique_ptr<QWidget> framed_for_screen(std::unique_ptr<QWidget> panel) {
  auto frame = std::make_unique<QScrollArea>();
  frame->setObjectName(QLatin1String(kFrameName));
  frame->setFrameShape(QFrame::NoFrame);
  frame->setWidgetResizable(true); // the panel grows with the window and scrolls below its minimum
  frame->setWindowTitle(panel->windowTitle());
  const QSize wanted = panel->size().expandedTo(panel->sizeHint());
  frame->setWidget(panel.release());
  const QSize available = frame->screen()->availableGeometry().size();
  frame->resize(wanted.boundedTo(available));
  // A window manager then fits the frame with its title bar into the free area too.
  if (wanted.width() > available.width() || wanted.height() > available.height()) {
    frame->setWindowState(Qt::WindowMaximized);
  }
  return frame;
}

bool is_frame_scroll_bar(const QWidget& widget) {
  return qobject_cast<const QScrollBar*>(&widget) && widget.window()->objectName() == QLatin1String(kFrameName);
}

} // namespace rt
