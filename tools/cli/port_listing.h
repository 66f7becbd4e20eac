// --list-ports: the ports of the panel's port list, in its order.
#pragma once

#include "program_run.h"
#include "texts.h"

namespace cli {

// Label, number, description and USB id of each port, the adapter marked.
ExitStatus list_ports(const PanelUser& user, LiveOutput& output, const Texts& texts);

// Where the listed ports behind a Kovo-USB-Link (USB 10C4:EA60) are, in the
// list's order.
QStringList link_adapter_ports();

} // namespace cli
