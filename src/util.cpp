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
    if (length + 1 < kLineRoom)
      line[length++] = static_cast<char>(c);
    else
      too_long = true;
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
  if (read_line(file, line) == LineRead::Whole) {
    // A path that no longer fits once in UTF-8 keeps the old one rather than being cut.
    const std::string path = settings_text_as_utf8(line);
    if (path.size() < sizeof datei_pfad) std::snprintf(datei_pfad, sizeof datei_pfad, "%s", path.c_str());
  }
  if (read_line(file, line) != LineRead::Missing) {
    if (line[0] == '0') language = 0;
    if (line[0] == '1') language = 1;
  }
  select_port(port);
}

// Where Windows-1252 differs from Latin-1; its five unused positions stay
// as they are, as Windows reads them.
constexpr char16_t kCp1252HighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                              0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t cp1252_character(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252HighControls[byte - 0x80] : byte;
}

void append_utf8(std::string& text, char16_t character) {
  if (character < 0x80) {
    text += static_cast<char>(character);
  } else if (character < 0x800) {
    text += static_cast<char>(0xC0 | (character >> 6));
    text += static_cast<char>(0x80 | (character & 0x3F));
  } else {
    text += static_cast<char>(0xE0 | (character >> 12));
    text += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (character & 0x3F));
  }
}

// The length of the UTF-8 sequence that starts the text, or 0 when it is
// none: a stray continuation byte, a cut sequence, an overlong form, a
// surrogate or a value past U+10FFFF.
std::size_t utf8_sequence_length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  if (lead == 0xE0 && byte(1) < 0xA0) return 0;  // overlong
  if (lead == 0xED && byte(1) >= 0xA0) return 0; // surrogate
  if (lead == 0xF0 && byte(1) < 0x90) return 0;  // overlong
  if (lead == 0xF4 && byte(1) >= 0x90) return 0; // past U+10FFFF
  return length;
}

bool is_utf8(std::string_view text) {
  while (!text.empty()) {
    const std::size_t length = utf8_sequence_length(text);
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

} // namespace

std::string settings_text_as_utf8(std::string_view line) {
  if (is_utf8(line)) return std::string(line);
  std::string text;
  for (char byte : line) append_utf8(text, cp1252_character(static_cast<unsigned char>(byte)));
  return text;
}

int opencom(double timeout_seconds) {
  GetCtrlVal(MAIN_P, PANEL_COMPORT, &COMGEN);
  const int result =
      OpenComConfig(COMGEN, "", kBaudRate, kNoParity, kDataBits, kStopBits, kInputQueueSize, kNoOutputQueue);
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

bool echo_received(int tx_len) { return std::equal(tx_data.begin(), tx_data.begin() + tx_len, rx_data.begin()); }

int write_read_com(int tx_len, int rx_len) {
  // Each attempt also clears the byte after the expected ones; a read
  // shorter than the request could not hold its echo.
  if (tx_len < 0 || tx_len > rx_len || tx_len > static_cast<int>(tx_data.size()) ||
      rx_len >= static_cast<int>(rx_data.size())) {
    return 1;
  }
  for (int attempt = 0; attempt < kExchangeAttempts; ++attempt) {
    std::fill_n(rx_data.begin(), rx_len + 1, 0);
    FlushInQ(COMGEN);
    SetComAttempt(COMGEN, attempt + 1);
    ComWrt(COMGEN, tx_data.data(), tx_len);
    ComRd(COMGEN, rx_data.data(), rx_len);
    if (ReturnRS232Err() == 0 && echo_received(tx_len)) return 0;
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

void refresh_com_ports() {
  const int chosen = selected_port();
  get_com_ports();
  SetCtrlVal(MAIN_P, PANEL_COMPORT, chosen);
}

void ini_datei(unsigned char mode) {
  if (mode != 0) return write_settings();
  // Read as a regular file of bounded size, so a pipe or a device in its
  // place cannot hold up the start.
  std::FILE* file = OpenRegularFile(kSettingsFile, kMaxSettingsFileBytes);
  if (file) {
    read_settings(file);
    std::fclose(file);
  } else if (FileExists(kSettingsFile)) {
    // Something that cannot be read is kept as it is; the defaults stand.
    select_port(selected_port());
  } else {
    write_settings();
  }
}

} // namespace kovo
