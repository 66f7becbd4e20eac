// What the command line asks for.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

namespace cli {

enum class Language { German, English };
enum class Mode { Update, ListPorts, Help, Version };

struct Options {
  Mode mode = Mode::Update;
  QString port;                     // empty: the stored or first port
  std::optional<Language> language; // empty: the locale's
  QString file;
};

struct UsageError {
  QString reason;
};

// arguments as QCoreApplication::arguments(), the program first.
std::variant<Options, UsageError> parse_options(const QStringList& arguments);

// --lang given, else German for a German locale and English for any other.
Language language_of(const Options& options);

} // namespace cli
