#include "flash.h"

namespace kovo {

int LOAD_CRYPT_FILE(int, int, int, void*, int, int) { return 0; }

} // namespace kovo
