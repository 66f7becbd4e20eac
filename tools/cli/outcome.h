// What the system reported at the end of a step, as the command line's exit
// status: one table for the messages it shows, one function per step for the
// results it keeps. Nothing here looks at how the panel looks.
#pragma once

#include "console_runtime.h"
#include "exit_status.h"

#include <cstddef>
#include <vector>

namespace cli {

// The status that the first message from `first` on means, by its text in the
// current language; Success when none of them ends a run.
ExitStatus status_of_messages(const std::vector<rt::ShownMessage>& messages, std::size_t first);

// Whether the message is one that ends a step: a failure of the port, the
// device, the file or the programming.
bool ends_a_step(const rt::ShownMessage& message);

// The connect's result: a device that answered and can be updated, one that
// answered and cannot, or none.
ExitStatus status_of_connect();
// Whether the chosen file loaded without a fault.
ExitStatus status_of_load();
// Whether the device acknowledged the whole image, as the indicator's final
// colour reports it.
ExitStatus status_of_programming(int indicator_colour);

} // namespace cli
