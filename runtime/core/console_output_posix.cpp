#include "console_output.h"

namespace rt {

void prepare_console_output() {}

} // namespace rt
