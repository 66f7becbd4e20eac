#include "port_listing.h"

#include "24GHz_prog.h"
#include "port_details.h"
#include "port_scan.h"
#include "qt_text.h"
#include "rs232.h"
#include "table.h"

#include <vector>

namespace cli {
namespace {

constexpr int kMostPorts = 100; // as many as the panel's port list takes

bool is_link_adapter(const rt::PortDetails& details) {
  return details.usb && details.usb->vendor == rt::kLinkAdapter.vendor &&
         details.usb->product == rt::kLinkAdapter.product;
}

QString usb_text(const rt::PortDetails& details, const Texts& texts) {
  if (!details.usb) return {};
  const auto hex = [](std::uint16_t id) { return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')).toUpper(); };
  QString text = hex(details.usb->vendor) + QLatin1Char(':') + hex(details.usb->product);
  if (is_link_adapter(details)) text += QStringLiteral("  ") + QString::fromUtf8(texts.link_adapter);
  return text;
}

// Label, number, description, USB id.
TableRow row_of(const rt::RingItem& item, const Texts& texts) {
  const rt::PortDetails details = rt::describe_port(item.value);
  const QString description =
      details.virtual_port ? QString::fromUtf8(texts.virtual_port) : rt::from_system_text(details.description);
  return {rt::from_system_text(item.label), QString::number(item.value), description, usb_text(details, texts)};
}

struct ListedPort {
  QString label;
  int number;
  rt::PortDetails details;
};

// The port list as the panel would get it.
std::vector<ListedPort> listed_ports() {
  std::vector<SerialPortEntry> entries(kMostPorts);
  const int count = ListSerialPorts(entries.data(), kMostPorts);
  std::vector<ListedPort> ports;
  for (int index = 0; index < count; ++index) {
    const SerialPortEntry& entry = entries[static_cast<std::size_t>(index)];
    ports.push_back({rt::from_system_text(entry.label), entry.number, rt::describe_port(entry.number)});
  }
  return ports;
}

// The line a --port value stands for: the listed port it names, else the
// path it gives.
QString line_named(const QString& wanted, const std::vector<ListedPort>& listed) {
  for (const ListedPort& port : listed) {
    if (names_port(wanted, port.label, port.number, rt::from_system_text(port.details.location))) {
      return rt::from_system_text(rt::resolved_location(port.details.location));
    }
  }
  return rt::from_system_text(rt::resolved_location(rt::to_system_text(wanted)));
}

QStringList lines_named(const QStringList& ports, const std::vector<ListedPort>& listed) {
  QStringList lines;
  for (const QString& port : ports) lines.append(line_named(port, listed));
  return lines;
}

} // namespace

QStringList port_table(const PanelUser& user, const Texts& texts) {
  const auto& items = user.control(PANEL_COMPORT).items;
  if (items.empty()) return {QString::fromUtf8(texts.no_ports)};
  std::vector<TableRow> rows;
  for (const rt::RingItem& item : items) rows.push_back(row_of(item, texts));
  return aligned(rows);
}

ExitStatus list_ports(const PanelUser& user, LiveOutput& output, const Texts& texts) {
  for (const QString& line : port_table(user, texts)) output.say(line);
  return ExitStatus::Success;
}

std::vector<int> link_ports(const PanelUser& user) {
  std::vector<int> links;
  for (const rt::RingItem& item : user.control(PANEL_COMPORT).items) {
    if (is_link_adapter(rt::describe_port(item.value))) links.push_back(item.value);
  }
  return links;
}

bool names_port(const QString& wanted, const QString& label, int number, const QString& location) {
  bool is_number = false;
  const int wanted_number = wanted.toInt(&is_number);
  return label.compare(wanted, Qt::CaseInsensitive) == 0 || (is_number && wanted_number == number) ||
         rt::same_location(rt::to_system_text(wanted), rt::to_system_text(location));
}

std::optional<std::pair<QString, QString>> port_named_twice(const QStringList& ports) {
  if (ports.size() < 2) return std::nullopt;
  const QStringList lines = lines_named(ports, listed_ports());
  for (qsizetype later = 1; later < lines.size(); ++later) {
    const qsizetype earlier = lines.indexOf(lines[later]);
    if (earlier < later) return std::pair(ports[earlier], ports[later]);
  }
  return std::nullopt;
}

QStringList ports_with_links(const QStringList& named) {
  const std::vector<ListedPort> listed = listed_ports();
  QStringList ports = named;
  QStringList lines = lines_named(named, listed);
  for (const ListedPort& port : listed) {
    const QString line = rt::from_system_text(rt::resolved_location(port.details.location));
    if (!is_link_adapter(port.details) || lines.contains(line)) continue;
    ports.append(rt::from_system_text(port.details.location));
    lines.append(line);
  }
  return ports;
}

} // namespace cli
