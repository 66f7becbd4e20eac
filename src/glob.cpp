#include "glob.h"

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
bool device_accepted = false;
bool image_loaded = false;

std::array<unsigned char, kFrameBufferSize> tx_data{};
std::array<unsigned char, kFrameBufferSize> rx_data{};
std::array<unsigned char, kFlashImageSize> data_flash{};
char data_hex[kHexRows][kHexColumns] = {};

} // namespace kovo
