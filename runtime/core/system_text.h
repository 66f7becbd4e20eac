// What the system hands the program as text: its arguments and its
// environment, as the system names files (bytes on POSIX, UTF-8 on Windows).
#pragma once

#include <string>
#include <vector>

namespace rt {

// The program's arguments: on POSIX the bytes of argv as they came, on
// Windows the wide command line in UTF-8 (argv holds the ANSI code page,
// which cannot hold every name).
std::vector<std::string> command_line_arguments(int argc, char** argv);

// The variable's value; empty when it is not set.
std::string environment_variable(const char* name);

} // namespace rt
