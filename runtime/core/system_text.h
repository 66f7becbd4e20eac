// The system's texts and paths are UTF-8 bytes; Qt speaks UTF-16. Every
// crossing between the two goes through here.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

QString from_system_text(std::string_view bytes);
std::string to_system_text(const QString& text);

// The program's arguments as the system names files: on POSIX the bytes of
// argv as they came, on Windows the wide command line in UTF-8. Needs the
// application object, which may have taken its own arguments out of argv.
std::vector<std::string> command_line_arguments(int argc, char** argv);

// The variable's value; "" when unset. On Windows read wide, given as UTF-8.
std::string environment_variable(const char* name);

} // namespace rt
