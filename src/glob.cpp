#include "glob.h"

#include <algorithm>
#include <iterator>

namespace kovo {

int MAIN_P = 0;
int COMGEN = 0;
int language = 0;
char version[12] = "";

char text_port_err_1[kMessageTextSize] = "";
char text_port_err_2[kMessageTextSize] = "";
char text_flash_err_1[kMessageTextSize] = "";
char text_flash_err_2[kMessageTextSize] = "";
char text_flash_err_3[kMessageTextSize] = "";
char text_flash_err_4[kLongMessageTextSize] = "";
char text_flash_err_5[kMessageTextSize] = "";
char text_flash_err_6[kMessageTextSize] = "";

char datei_pfad[MAX_PATHNAME_LEN] = "";

int rx_typ = 0;
int memory_size = 0;
bool device_answered = false;
bool device_accepted = false;
bool image_loaded = false;

std::array<unsigned char, kFrameBufferSize> tx_data{};
std::array<unsigned char, kFrameBufferSize> rx_data{};
std::array<unsigned char, kFlashImageSize> data_flash{};
char data_hex[kHexRows][kHexColumns] = {};

void reset_globals() {
  MAIN_P = 0;
  COMGEN = 0;
  language = 0;
  version[0] = '\0';
  for (char* text : {text_port_err_1, text_port_err_2, text_flash_err_1, text_flash_err_2, text_flash_err_3,
                     text_flash_err_4, text_flash_err_5, text_flash_err_6}) {
    text[0] = '\0';
  }
  datei_pfad[0] = '\0';
  rx_typ = 0;
  memory_size = 0;
  device_answered = false;
  device_accepted = false;
  image_loaded = false;
  tx_data.fill(0);
  rx_data.fill(0);
  data_flash.fill(0);
  for (auto& row : data_hex) std::fill(std::begin(row), std::end(row), '\0');
}

} // namespace kovo
