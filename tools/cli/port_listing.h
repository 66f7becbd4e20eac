// --list-ports: the ports of the panel's port list, in its order; and which
// line each --port value stands for.
#pragma once

#include "program_run.h"
#include "texts.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace cli {

// Label, number, description and USB id of each port, the adapter marked.
ExitStatus list_ports(const PanelUser& user, LiveOutput& output, const Texts& texts);

// The lines --list-ports shows for the panel's port list.
QStringList port_table(const PanelUser& user, const Texts& texts);

// The numbers of the ports in the panel's port list that are a Kovo-USB-Link
// (USB 10C4:EA60), in the list's order. Found by their USB id: no port is opened.
std::vector<int> link_ports(const PanelUser& user);

// Whether a --port value names a listed port: by its label (in any case), its
// number, or its location, links resolved.
bool names_port(const QString& wanted, const QString& label, int number, const QString& location);

// Two --port values that stand for one line (a path and a link to it, a
// label and its device path), or nothing.
std::optional<std::pair<QString, QString>> port_named_twice(const QStringList& ports);

// The ports named, then the location of every listed Kovo-USB-Link (USB
// 10C4:EA60) that none of them stands for, in the list's order. Found by
// their USB id: no port is opened.
QStringList ports_with_links(const QStringList& named);

} // namespace cli
