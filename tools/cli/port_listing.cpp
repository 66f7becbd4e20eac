#include "port_listing.h"

#include "24GHz_prog.h"
#include "port_details.h"
#include "rs232.h"
#include "system_text.h"
#include "table.h"

#include <vector>

namespace cli {
namespace {

// The Kovo-USB-Link's bridge: Silicon Labs CP210x.
constexpr rt::UsbId kLinkAdapter{0x10C4, 0xEA60};
constexpr int kMostPorts = 100; // as many as the panel's port list takes

bool is_link_adapter(const rt::PortDetails& details) {
  return details.usb && details.usb->vendor == kLinkAdapter.vendor && details.usb->product == kLinkAdapter.product;
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
  const QString description = details.virtual_port ? QString::fromUtf8(texts.virtual_port) : details.description;
  return {rt::from_system_text(item.label), QString::number(item.value), description, usb_text(details, texts)};
}

} // namespace

ExitStatus list_ports(const PanelUser& user, LiveOutput& output, const Texts& texts) {
  const auto& items = user.control(PANEL_COMPORT).items;
  if (items.empty()) output.say(QString::fromUtf8(texts.no_ports));
  std::vector<TableRow> rows;
  for (const rt::RingItem& item : items) rows.push_back(row_of(item, texts));
  for (const QString& line : aligned(rows)) output.say(line);
  return ExitStatus::Success;
}

QStringList link_adapter_ports() {
  std::vector<SerialPortEntry> entries(kMostPorts);
  const int count = ListSerialPorts(entries.data(), kMostPorts);
  QStringList locations;
  for (int index = 0; index < count; ++index) {
    const rt::PortDetails details = rt::describe_port(entries[static_cast<std::size_t>(index)].number);
    if (is_link_adapter(details)) locations.append(details.location);
  }
  return locations;
}

} // namespace cli
