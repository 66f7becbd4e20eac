#include "port_listing.h"

#include "24GHz_prog.h"
#include "port_details.h"
#include "system_text.h"

#include <algorithm>
#include <array>
#include <vector>

namespace cli {
namespace {

// The Kovo-USB-Link's bridge: Silicon Labs CP210x.
constexpr rt::UsbId kLinkAdapter{0x10C4, 0xEA60};

using Row = std::array<QString, 4>; // label, number, description, USB id
using Widths = std::array<qsizetype, 4>;

QString usb_text(const rt::PortDetails& details, const Texts& texts) {
  if (!details.usb) return {};
  const auto hex = [](std::uint16_t id) { return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')).toUpper(); };
  QString text = hex(details.usb->vendor) + QLatin1Char(':') + hex(details.usb->product);
  if (details.usb->vendor == kLinkAdapter.vendor && details.usb->product == kLinkAdapter.product) {
    text += QStringLiteral("  ") + QString::fromUtf8(texts.link_adapter);
  }
  return text;
}

Row row_of(const rt::RingItem& item, const Texts& texts) {
  const rt::PortDetails details = rt::describe_port(item.value);
  const QString description = details.virtual_port ? QString::fromUtf8(texts.virtual_port) : details.description;
  return {rt::from_system_text(item.label), QString::number(item.value), description, usb_text(details, texts)};
}

QString joined(const Row& row, const Widths& widths) {
  QString line;
  for (std::size_t column = 0; column < row.size(); ++column) {
    line += row[column].leftJustified(widths[column] + 2);
  }
  return line.trimmed();
}

} // namespace

ExitStatus list_ports(const PanelUser& user, LiveOutput& output, const Texts& texts) {
  const auto& items = user.control(PANEL_COMPORT).items;
  if (items.empty()) output.say(QString::fromUtf8(texts.no_ports));
  std::vector<Row> rows;
  Widths widths{};
  for (const rt::RingItem& item : items) {
    rows.push_back(row_of(item, texts));
    for (std::size_t column = 0; column < widths.size(); ++column) {
      widths[column] = std::max(widths[column], rows.back()[column].size());
    }
  }
  for (const Row& row : rows) output.say(joined(row, widths));
  return ExitStatus::Success;
}

} // namespace cli
