// The frame a panel is shown in: a small screen, or a large scale factor,
// must still reach every control at its natural size.
#pragma once

#include <memory>

class QWidget;

namespace rt {

// The panel inside a scroll area that opens at the panel's own size, no
// larger than the free area of the screen; beyond that it scrolls.
std::unique_ptr<QWidget> framed_for_screen(std::unique_ptr<QWidget> panel);

// True for the frame's own scroll bars, which move the view but never act on the panel.
bool is_frame_scroll_bar(const QWidget& widget);

} // namespace rt
