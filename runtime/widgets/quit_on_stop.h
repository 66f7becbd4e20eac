// The window's answer to a stop request (signal_handling.h): an open dialog
// is closed, the operation in progress ends by itself as a failed one, its
// closing command sent, and then the program quits.
#pragma once

#include <QTimer>

namespace rt {

// Lives beside the WidgetsRuntime, in the thread of its event loop.
class QuitOnStop {
public:
  QuitOnStop();

private:
  QTimer watch_;
};

} // namespace rt
