#include "port_details.h"

#include "port_scan.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace rt {
namespace {

std::optional<QSerialPortInfo> enumerated_port(const QString& location) {
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    if (same_location(location, info.systemLocation())) return info;
  }
  return std::nullopt;
}

bool named_as_link(const QString& location) {
  const QStringList links =
      qEnvironmentVariable("KOVOFLASH_EXTRA_LINKS").split(QDir::listSeparator(), Qt::SkipEmptyParts);
  return std::any_of(links.begin(), links.end(), [&](const QString& link) { return same_location(link, location); });
}

} // namespace

bool same_location(const QString& path, const QString& location) {
  return !location.isEmpty() && resolved_location(path) == resolved_location(location);
}

PortDetails describe_port(int number) {
  PortDetails details{location_of_port(number), true, {}, {}};
  const auto info = enumerated_port(details.location);
  if (!info) {
    if (named_as_link(details.location)) details.usb = kLinkAdapter;
    return details;
  }
  details.virtual_port = false;
  details.description = info->description();
  if (info->hasVendorIdentifier() && info->hasProductIdentifier()) {
    details.usb = UsbId{info->vendorIdentifier(), info->productIdentifier()};
  }
  return details;
}

void offer_port(const QString& path) {
  if (!enumerated_port(path)) add_virtual_port(path);
}

PortFailure why_not_listed(const QString& name) {
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    if (info.portName().compare(name, Qt::CaseInsensitive) == 0) return try_port(info.systemLocation());
  }
  return QFileInfo(name).isAbsolute() ? try_port(name) : PortFailure::NotFound;
}

} // namespace rt
