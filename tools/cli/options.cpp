#include "options.h"

#include <QCommandLineParser>
#include <QLocale>

namespace cli {
namespace {

const QCommandLineOption kPort(QStringLiteral("port"), {}, QStringLiteral("PORT"));
const QCommandLineOption kLanguage(QStringLiteral("lang"), {}, QStringLiteral("LANG"));
const QCommandLineOption kListPorts(QStringLiteral("list-ports"));
const QCommandLineOption kHelp(QStringLiteral("help"));
const QCommandLineOption kVersion(QStringLiteral("version"));

std::optional<Language> language_named(const QString& name) {
  if (name == QLatin1String("de")) return Language::German;
  if (name == QLatin1String("en")) return Language::English;
  return std::nullopt;
}

std::variant<Options, UsageError> port_listing(const QCommandLineParser& parser) {
  if (parser.isSet(kPort) || parser.isSet(kLanguage) || !parser.positionalArguments().isEmpty()) {
    return UsageError{QStringLiteral("--list-ports takes no other argument")};
  }
  return Options{Mode::ListPorts, {}, {}, {}};
}

std::variant<Options, UsageError> update(const QCommandLineParser& parser) {
  Options options;
  options.port = parser.value(kPort);
  if (parser.isSet(kPort) && options.port.isEmpty()) return UsageError{QStringLiteral("--port needs a port")};
  if (parser.isSet(kLanguage)) {
    options.language = language_named(parser.value(kLanguage));
    if (!options.language) return UsageError{QStringLiteral("--lang takes de or en")};
  }
  const QStringList files = parser.positionalArguments();
  if (files.size() != 1) return UsageError{QStringLiteral("give one firmware file")};
  options.file = files.constFirst();
  return options;
}

} // namespace

std::variant<Options, UsageError> parse_options(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.addOptions({kPort, kLanguage, kListPorts, kHelp, kVersion});
  if (!parser.parse(arguments)) return UsageError{parser.errorText()};
  if (parser.isSet(kHelp)) return Options{Mode::Help, {}, {}, {}};
  if (parser.isSet(kVersion)) return Options{Mode::Version, {}, {}, {}};
  if (parser.isSet(kListPorts)) return port_listing(parser);
  return update(parser);
}

Language language_of(const Options& options) {
  if (options.language) return *options.language;
  return QLocale::system().language() == QLocale::German ? Language::German : Language::English;
}

} // namespace cli
