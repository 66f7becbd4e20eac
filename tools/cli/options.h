// What the command line asks for.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace cli {

struct Texts;

enum class Language { German, English };
enum class Mode { Update, ListPorts, Check, Help, Version };

struct Options {
  Mode mode = Mode::Update;
  std::vector<std::string> ports;   // as --port gave them; none: the stored or first port
  bool all_links = false;           // and every listed Kovo-USB-Link
  std::optional<Language> language; // empty: the locale's
  std::string file;                 // to program, or to check; as the system names files
  bool json = false;                // events as JSON lines on standard output
  std::string trace;                // where the frames on the line go; empty: nowhere
  bool workshop_child = false;      // one port of a workshop run, for the program that started it
  bool force = false;               // a file with no data for the device is programmed all the same
};

struct UsageError {
  const char* Texts::*reason; // %1: the detail
  std::string detail;
  Language language; // --lang's where it was given right, else the locale's
};

// arguments as rt::command_line_arguments gives them, the program first.
std::variant<Options, UsageError> parse_options(const std::vector<std::string>& arguments);

// --lang given, else German for a German locale and English for any other.
Language language_of(const Options& options);

// The reason, in the language of the command line that was refused.
std::string reason_of(const UsageError& error);

// The code of the language, as --lang takes it.
std::string language_code(Language language);

} // namespace cli
