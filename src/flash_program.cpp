// Programming: the loaded image goes to the bootloader page by page, 16 bytes
// a frame, every frame acknowledged; the closing command is always sent.
#include "flash.h"

#include "24GHz_prog.h"
#include "glob.h"
#include "util.h"
#include "utility.h"

#include <algorithm>

namespace kovo {
namespace {

// Frames: FF, length L (bytes after it), command, payload, check byte (XOR of
// bytes 1 to L). Every command is acknowledged by FF 02 <command> <02 ^ command>.
constexpr unsigned char kStartByte = 0xFF;
constexpr unsigned char CMD_PROG_START = 0x21; // programming begins
constexpr unsigned char CMD_PAGE_BEGIN = 0x09; // a page begins
constexpr unsigned char CMD_PAGE_DATA = 0x0A;  // 16 image bytes at page:offset
constexpr unsigned char CMD_PAGE_END_1 = 0x07; // first end of page, page:00
constexpr unsigned char CMD_PAGE_END_2 = 0x08; // second end of page, page:00
constexpr unsigned char CMD_PROG_END = 0x02;   // closing command
constexpr int kReplyLength = 4;

constexpr int kPageSize = 256;
constexpr int kPagesPerSizeUnit = kProgrammedBytesPerSize / kPageSize; // 64
constexpr int kBlockSize = 16;

// Puts a frame into tx_data; returns its length.
int put_frame(unsigned char command, const unsigned char* payload, int payload_length) {
  const int length = payload_length + 2; // command, payload, check
  tx_data[0] = kStartByte;
  tx_data[1] = static_cast<unsigned char>(length);
  tx_data[2] = command;
  std::copy_n(payload, payload_length, tx_data.begin() + 3);
  unsigned char check = 0;
  for (int i = 1; i <= length; ++i) check ^= tx_data[i];
  tx_data[length + 1] = check;
  return length + 2;
}

// The reply behind the echo of an n-byte request: the command code at byte
// 2, bytes 1 to 3 XOR to zero.
bool reply_accepted(int n, unsigned char command) {
  return rx_data[n + 2] == command && (rx_data[n + 1] ^ rx_data[n + 2] ^ rx_data[n + 3]) == 0;
}

bool exchange(unsigned char command, const unsigned char* payload = nullptr, int payload_length = 0) {
  const int n = put_frame(command, payload, payload_length);
  return write_read_com(n, n + kReplyLength) == 0 && reply_accepted(n, command);
}

bool send_page_end(unsigned char command, int page) {
  const unsigned char first_address[] = {static_cast<unsigned char>(page), 0x00};
  return exchange(command, first_address, sizeof first_address);
}

bool send_block(int page, int offset) {
  unsigned char payload[2 + kBlockSize] = {static_cast<unsigned char>(page), static_cast<unsigned char>(offset)};
  std::copy_n(data_flash.begin() + page * kPageSize + offset, kBlockSize, payload + 2);
  return exchange(CMD_PAGE_DATA, payload, sizeof payload);
}

// False at the first failed command, and at a stop request, which ends the
// loop as a failed command does; no page command follows either.
bool program_pages() {
  unsigned acknowledged = 0;
  for (int page = 0; page < memory_size * kPagesPerSizeUnit; ++page) {
    if (StopRequested() || !exchange(CMD_PAGE_BEGIN)) return false;
    for (int offset = 0; offset < kPageSize; offset += kBlockSize) {
      if (StopRequested() || !send_block(page, offset)) return false;
      SetCtrlVal(MAIN_P, PANEL_FLASH_PROGRESS, static_cast<int>(acknowledged / memory_size));
      ++acknowledged;
    }
    if (StopRequested() || !send_page_end(CMD_PAGE_END_1, page)) return false;
    if (StopRequested()) return false;
    if (!send_page_end(CMD_PAGE_END_2, page)) {
      flash_error();
      return false;
    }
  }
  return true;
}

} // namespace

int PROG_FLASH(int, int, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  SetCtrlAttribute(MAIN_P, PANEL_FLASH_PROGRESS, ATTR_FILL_COLOR, kProgrammingColour);
  // A start that is not acknowledged ends the run like a failed exchange.
  const bool programmed = exchange(CMD_PROG_START) && program_pages();
  SetCtrlAttribute(MAIN_P, PANEL_FLASH_PROGRESS, ATTR_FILL_COLOR, programmed ? kProgrammedColour : kFailedColour);
  if (!exchange(CMD_PROG_END)) {
    // An unacknowledged close is a failed update: green would say otherwise.
    SetCtrlAttribute(MAIN_P, PANEL_FLASH_PROGRESS, ATTR_FILL_COLOR, kFailedColour);
    flash_error();
  }
  return 0;
}

} // namespace kovo
