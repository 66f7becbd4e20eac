// --list-ports: the ports of the panel's port list, in its order; and which
// line each --port value stands for.
#pragma once

#include "program_run.h"
#include "texts.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cli {

// Label, number, description and USB id of each port, the adapter marked.
ExitStatus list_ports(const PanelUser& user, LiveOutput& output, const Texts& texts);

// The lines --list-ports shows for the panel's port list.
std::vector<std::string> port_table(const PanelUser& user, const Texts& texts);

// The numbers of the ports in the panel's port list that are a Kovo-USB-Link
// (USB 10C4:EA60), in the list's order. Found by their USB id: no port is opened.
std::vector<int> link_ports(const PanelUser& user);

// Whether a --port value names a listed port: by its label (in any case), its
// number, or its location, links resolved.
bool names_port(const std::string& wanted, const std::string& label, int number, const std::string& location);

// Two --port values that stand for one line (a path and a link to it, a
// label and its device path), or nothing.
std::optional<std::pair<std::string, std::string>> port_named_twice(const std::vector<std::string>& ports);

// The ports named, then the location of every listed Kovo-USB-Link (USB
// 10C4:EA60) that none of them stands for, in the list's order. Found by
// their USB id: no port is opened.
std::vector<std::string> ports_with_links(const std::vector<std::string>& named);

} // namespace cli
