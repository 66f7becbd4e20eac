#include "util.h"

#include "24GHz_prog.h"
#include "glob.h"
#include "rs232.h"
#include "utility.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kovo {
namespace {

constexpr int kMaxPorts = 100;

// The bootloader's line: 38400 baud, 8 data bits, no parity, 2 stop bits.
constexpr long kBaudRate = 38400;
constexpr int kNoParity = 0;
constexpr int kDataBits = 8;
constexpr int kStopBits = 2;
constexpr int kInputQueueSize = 1024;
constexpr int kNoOutputQueue = -1; // each write goes to the port directly
constexpr int kExchangeAttempts = 3;
constexpr std::size_t kLineRoom = MAX_PATHNAME_LEN; // a path line must fit datei_pfad

enum class LineRead { Missing, Whole, TooLong };

// Reads one line without its line end; a line longer than the buffer is
// consumed whole but reported as too long, so it is never mistaken for two.
LineRead read_line(std::FILE* file, char (&line)[kLineRoom]) {
  std::size_t length = 0;
  bool too_long = false;
  int c = std::getc(file);
  if (c == EOF) return LineRead::Missing;
  for (; c != EOF && c != '\n'; c = std::getc(file)) {
    if (length + 1 < kLineRoom) line[length++] = static_cast<char>(c);
    else too_long = true;
  }
  if (length > 0 && line[length - 1] == '\r') --length; // written on Windows
  line[length] = '\0';
  return too_long ? LineRead::TooLong : LineRead::Whole;
}

// The line's leading decimal number as atoi reads it, without atoi's
// undefined behaviour on overflow.
int leading_number(const char* line) {
  const long value = std::strtol(line, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

void select_port(int port) {
  COMGEN = port;
  SetCtrlVal(MAIN_P, PANEL_COMPORT, port);
}

// The ring's selection, or COMGEN when the ring is empty.
int selected_port() {
  int port = COMGEN;
  GetCtrlVal(MAIN_P, PANEL_COMPORT, &port);
  return port;
}

void write_settings() {
  const int port = selected_port();
  char content[3 * 16 + MAX_PATHNAME_LEN];
  const int length = std::snprintf(content, sizeof content, "%i\n%s\n%i\n", port, datei_pfad, language);
  // When the file cannot be written the program goes on with the values it has.
  ReplaceTextFile(kSettingsFile, content, static_cast<std::size_t>(length));
  select_port(port);
}

void read_settings(std::FILE* file) {
  int port = selected_port();
  char line[kLineRoom];
  if (read_line(file, line) != LineRead::Missing) port = leading_number(line);
  if (read_line(file, line) == LineRead::Whole) std::snprintf(datei_pfad, sizeof datei_pfad, "%s", line);
  if (read_line(file, line) != LineRead::Missing) {
    if (line[0] == '0') language = 0;
    if (line[0] == '1') language = 1;
  }
  select_port(port);
}

int digit_value(char c) {
  if (c >= '1' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

} // namespace

unsigned char char2_to_uchar(char high, char low) {
  return static_cast<unsigned char>(16 * digit_value(high) + digit_value(low));
}

int char4_to_int(char c1, char c2, char c3, char c4) {
  return 4096 * digit_value(c1) + 256 * digit_value(c2) + 16 * digit_value(c3) + digit_value(c4);
}

int opencom(double timeout_seconds) {
  GetCtrlVal(MAIN_P, PANEL_COMPORT, &COMGEN);
  const int result = OpenComConfig(COMGEN, "", kBaudRate, kNoParity, kDataBits, kStopBits,
                                   kInputQueueSize, kNoOutputQueue);
  if (result != 0) {
    MessagePopup(text_port_err_1, text_port_err_2);
    return result;
  }
  FlushOutQ(COMGEN);
  FlushInQ(COMGEN);
  SetComTime(COMGEN, timeout_seconds);
  ComSetEscape(COMGEN, SETRTS);
  ComSetEscape(COMGEN, CLRDTR);
  return 0;
}

int write_read_com(int tx_len, int rx_len) {
  // Each attempt also clears the byte after the expected ones.
  if (tx_len < 0 || rx_len < 0 || tx_len > static_cast<int>(tx_data.size()) ||
      rx_len >= static_cast<int>(rx_data.size())) {
    return 1;
  }
  for (int attempt = 0; attempt < kExchangeAttempts; ++attempt) {
    std::fill_n(rx_data.begin(), rx_len + 1, 0);
    FlushInQ(COMGEN);
    ComWrt(COMGEN, tx_data.data(), tx_len);
    ComRd(COMGEN, rx_data.data(), rx_len);
    if (ReturnRS232Err() == 0) return 0;
  }
  return 1;
}

void get_com_ports() {
  static SerialPortEntry ports[kMaxPorts];
  const int count = ListSerialPorts(ports, kMaxPorts);
  ClearListCtrl(MAIN_P, PANEL_COMPORT);
  for (int index = 0; index < count; ++index) {
    InsertListItem(MAIN_P, PANEL_COMPORT, index, ports[index].label, ports[index].number);
  }
}

void ini_datei(unsigned char mode) {
  if (mode != 0) return write_settings();
  std::FILE* file = OpenFile(kSettingsFile, "r");
  if (!file) return write_settings();
  read_settings(file);
  std::fclose(file);
}

} // namespace kovo
