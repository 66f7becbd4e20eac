// Connecting: poll the bootloader while the user switches the device on, then
// show what answered.
#include "flash.h"

#include "24GHz_prog.h"
#include "glob.h"
#include "rs232.h"
#include "util.h"
#include "utility.h"

#include <algorithm>
#include <cstdio>

namespace kovo {
namespace {

constexpr double kConnectTimeout = 0.5; // seconds, for every later read and write
constexpr double kPollInterval = 0.04;  // seconds between identification requests
constexpr int kLastAttempt = 200;       // attempts are counted 0 to 200

// Identification request FF 01 FF FE; the reply repeats byte 1.
constexpr unsigned char kStartByte = 0xFF;
constexpr unsigned char kIdentify = 0x01;
constexpr unsigned char kIdentifyFixed = 0xFF;
constexpr int kRequestLength = 4;
constexpr int kExchangeLength = 10;     // the echoed request and the 6-byte reply
constexpr unsigned char kNoType = 0xFF; // a type code no device has

// Reply bytes, behind the echo.
constexpr int kReplyStart = 4;
constexpr int kReplyIdentify = 5;
constexpr int kReplyType = 6;
constexpr int kReplyMajor = 7;
constexpr int kReplyMinor = 8;
constexpr int kReplyCheck = 9;

struct DeviceType {
  unsigned char code;
  const char* name;
  bool updatable; // false: the not-supported message
  int memory_size;
};

constexpr DeviceType kDeviceTypes[] = {
    {0x11, "Kovo Receiver SAT1", false, 1}, {0x41, "Kovo Ground C4", true, 1},
    {0x4D, "KovoLink Decode 4", false, 1},  {0x51, "Kovo RX-05", true, 1},
    {0x52, "Kovo RX-05 Lt", true, 1},       {0x5D, "KovoLink Decode 5", false, 1},
    {0x5F, "Kovo Ext Module 05", false, 1}, {0x71, "Kovo RX-07", true, 1},
    {0x72, "Kovo RX-07 Climb", true, 1},    {0x74, "Kovo RX-07 Quadrix", true, 1},
    {0x91, "Kovo RX-09", true, 1},          {0x92, "Kovo RX-09 Climb", true, 1},
    {0xB1, "KovoWaveCard", false, 1},       {0xBA, "KovoWaveCard active", false, 1},
    {0xD1, "KovoLogger TLM", false, 2},
};
constexpr int kUnlistedMemorySize = 1;

const DeviceType* find_device_type(int code) {
  for (const DeviceType& type : kDeviceTypes) {
    if (type.code == code) return &type;
  }
  return nullptr;
}

// False when the request could not be written: the line is gone.
bool send_identification_request() {
  tx_data[0] = kStartByte;
  tx_data[1] = kIdentify;
  tx_data[2] = kIdentifyFixed;
  tx_data[3] = kIdentify ^ kIdentifyFixed;
  return ComWrt(COMGEN, tx_data.data(), kRequestLength) == kRequestLength;
}

// The echo must be the request itself: a reply shifted onto it by bytes
// that do not belong there is no answer to this request.
bool valid_identification_reply() {
  std::fill_n(rx_data.begin(), kExchangeLength, 0);
  ComRd(COMGEN, rx_data.data(), kExchangeLength);
  return echo_received(kRequestLength) && rx_data[kReplyStart] == kStartByte && rx_data[kReplyIdentify] == kIdentify &&
         rx_data[kReplyType] != kNoType &&
         rx_data[kReplyCheck] ==
             (rx_data[kReplyIdentify] ^ rx_data[kReplyType] ^ rx_data[kReplyMajor] ^ rx_data[kReplyMinor]);
}

void show_identified_device() {
  rx_typ = rx_data[kReplyType];
  const DeviceType* type = find_device_type(rx_typ);
  memory_size = type ? type->memory_size : kUnlistedMemorySize;
  if (type) SetCtrlVal(MAIN_P, PANEL_DEVICE_TYPE, type->name);
  SetCtrlAttribute(MAIN_P, PANEL_LOAD_FILE, ATTR_DIMMED, 1);
  device_answered = true;
  device_accepted = type && type->updatable;
  if (device_accepted) SetCtrlAttribute(MAIN_P, PANEL_LOAD_FILE, ATTR_DIMMED, 0);
  if (type && !type->updatable) MessagePopup(text_flash_err_3, text_flash_err_4);
  char version_text[10]; // "V 255.255"
  std::snprintf(version_text, sizeof version_text, "V %i.%01i", rx_data[kReplyMajor], rx_data[kReplyMinor]);
  SetCtrlVal(MAIN_P, PANEL_BOOT_VERSION, version_text);
  SetCtrlVal(MAIN_P, PANEL_CONNECT_PROGRESS, 0);
}

} // namespace

int CONNECT_FLASH(int, int, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  // Whatever answers now, or nothing, is not the device accepted before.
  device_answered = false;
  device_accepted = false;
  offer_programming();
  if (opencom(kConnectTimeout) != 0) {
    HidePanel(MAIN_P);
    DisplayPanel(MAIN_P);
    return 0;
  }
  reset_panel();
  int attempt = 0;
  while (attempt <= kLastAttempt && !StopRequested()) {
    FlushInQ(COMGEN);
    SetCtrlVal(MAIN_P, PANEL_CONNECT_PROGRESS, attempt);
    if (!send_identification_request()) {
      // An unplugged adapter or a closed line: no device can answer on it.
      MessagePopup(text_port_err_1, text_port_err_2);
      return 0;
    }
    Delay(kPollInterval);
    ++attempt;
    if (GetInQLen(COMGEN) == kExchangeLength && valid_identification_reply()) {
      show_identified_device();
      attempt = kLastAttempt + 1;
    }
  }
  offer_programming();
  return 0;
}

} // namespace kovo
