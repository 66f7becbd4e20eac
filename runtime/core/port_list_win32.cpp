// Windows lists its serial ports in the registry (SERIALCOMM: one value per
// port, its data the COM name). The device tree adds, where the port is a
// device of the Ports class, its description and the USB ids in its
// hardware id (USB\VID_10C4&PID_EA60...).
#include "port_list.h"

#include "wide_text.h"

// In this order: windows.h first, and initguid.h before devguid.h so that
// the class GUIDs are defined here rather than looked for in a library.
#include <windows.h>

#include <initguid.h>

#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <map>

namespace rt {
namespace {

constexpr wchar_t kSerialCommKey[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr DWORD kLongestName = 512; // characters, far above any port's

struct DeviceDetails {
  std::string description;
  std::optional<UsbId> usb;
};

std::vector<std::string> registered_com_names() {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD index = 0;; ++index) {
    wchar_t value_name[kLongestName];
    wchar_t data[kLongestName] = {};
    DWORD name_size = kLongestName;
    DWORD data_size = sizeof(data) - sizeof(wchar_t); // room for the end the registry may leave out
    DWORD type = 0;
    const LONG status =
        RegEnumValueW(key, index, value_name, &name_size, nullptr, &type, reinterpret_cast<BYTE*>(data), &data_size);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status == ERROR_SUCCESS && type == REG_SZ && data[0] != L'\0') names.push_back(utf8_from_wide(data));
  }
  RegCloseKey(key);
  return names;
}

std::optional<std::uint16_t> hex_after(const std::wstring& text, const wchar_t* marker) {
  constexpr std::size_t kDigits = 4;
  const std::size_t at = text.find(marker);
  const std::size_t start = at + std::wcslen(marker);
  if (at == std::wstring::npos || text.size() < start + kDigits) return std::nullopt;
  const std::wstring digits = text.substr(start, kDigits);
  if (!std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return std::iswxdigit(c) != 0; })) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(std::stoul(digits, nullptr, 16));
}

std::optional<UsbId> usb_id_in(std::wstring hardware_id) {
  std::transform(hardware_id.begin(), hardware_id.end(), hardware_id.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
  const auto vendor = hex_after(hardware_id, L"VID_");
  const auto product = hex_after(hardware_id, L"PID_");
  if (!vendor || !product) return std::nullopt;
  return UsbId{*vendor, *product};
}

// The first string of a device property (a hardware id list holds several).
std::wstring device_property(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t text[kLongestName] = {};
  if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr, reinterpret_cast<BYTE*>(text),
                                         sizeof(text) - 2 * sizeof(wchar_t), nullptr)) {
    return {};
  }
  return text;
}

std::wstring port_name_of(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  const HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t name[kLongestName] = {};
  DWORD size = sizeof(name) - sizeof(wchar_t);
  DWORD type = 0;
  const LONG status = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? name : std::wstring();
}

// The Ports class's devices present now, by COM name.
std::map<std::string, DeviceDetails> port_devices() {
  std::map<std::string, DeviceDetails> details;
  const HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return details;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const std::wstring name = port_name_of(devices, device);
    if (name.empty()) continue;
    details[utf8_from_wide(name)] = {utf8_from_wide(device_property(devices, device, SPDRP_FRIENDLYNAME)),
                                     usb_id_in(device_property(devices, device, SPDRP_HARDWAREID))};
  }
  SetupDiDestroyDeviceInfoList(devices);
  return details;
}

} // namespace

std::vector<SystemPort> system_ports() {
  const std::map<std::string, DeviceDetails> devices = port_devices();
  std::vector<SystemPort> ports;
  for (const std::string& name : registered_com_names()) {
    SystemPort port{name, name, {}, std::nullopt};
    if (const auto found = devices.find(name); found != devices.end()) {
      port.description = found->second.description;
      port.usb = found->second.usb;
    }
    ports.push_back(std::move(port));
  }
  return ports;
}

} // namespace rt
