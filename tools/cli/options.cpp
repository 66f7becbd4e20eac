#include "options.h"

#include "system_text.h"

#include <QCommandLineParser>
#include <QLocale>
#include <algorithm>

namespace cli {
namespace {

const QCommandLineOption kPort(QStringLiteral("port"), {}, QStringLiteral("PORT"));
const QCommandLineOption kAllLinks(QStringLiteral("all-links"));
const QCommandLineOption kLanguage(QStringLiteral("lang"), {}, QStringLiteral("LANG"));
const QCommandLineOption kJson(QStringLiteral("json"));
const QCommandLineOption kTrace(QStringLiteral("trace"), {}, QStringLiteral("FILE"));
const QCommandLineOption kCheck(QStringLiteral("check"), {}, QStringLiteral("FILE"));
const QCommandLineOption kListPorts(QStringLiteral("list-ports"));
const QCommandLineOption kHelp(QStringLiteral("help"));
const QCommandLineOption kVersion(QStringLiteral("version"));
// Set by the program itself when it starts a copy of itself for one port.
const QCommandLineOption kWorkshopChild(QStringLiteral("workshop-child"));

// The parser sees every argument byte for byte (one Latin-1 character per
// byte; the options themselves are ASCII), so a file name keeps the bytes the
// user gave; what is text is decoded where it is taken.
QStringList byte_for_byte(const std::vector<std::string>& arguments) {
  QStringList characters;
  for (const std::string& argument : arguments) {
    characters.append(QString::fromLatin1(argument.data(), static_cast<qsizetype>(argument.size())));
  }
  return characters;
}

std::string bytes_of(const QString& characters) { return characters.toLatin1().toStdString(); }

QString text_of(const QString& characters) { return rt::from_system_text(bytes_of(characters)); }

QStringList texts_of(const QStringList& characters) {
  QStringList texts;
  for (const QString& argument : characters) texts.append(text_of(argument));
  return texts;
}

Options for_mode(Mode mode) {
  Options options;
  options.mode = mode;
  return options;
}

std::optional<Language> language_named(const QString& name) {
  if (name == QLatin1String("de")) return Language::German;
  if (name == QLatin1String("en")) return Language::English;
  return std::nullopt;
}

bool any_set(const QCommandLineParser& parser, const QList<const QCommandLineOption*>& options) {
  return std::any_of(options.begin(), options.end(), [&](const auto* option) { return parser.isSet(*option); });
}

// Options that belong to an update only.
bool update_options_set(const QCommandLineParser& parser) {
  return any_set(parser, {&kPort, &kAllLinks, &kJson, &kTrace, &kWorkshopChild});
}

std::variant<Options, UsageError> port_listing(const QCommandLineParser& parser) {
  if (update_options_set(parser) || parser.isSet(kLanguage) || parser.isSet(kCheck) ||
      !parser.positionalArguments().isEmpty()) {
    return UsageError{QStringLiteral("--list-ports takes no other argument")};
  }
  return for_mode(Mode::ListPorts);
}

std::optional<UsageError> read_language(const QCommandLineParser& parser, Options& options) {
  if (!parser.isSet(kLanguage)) return std::nullopt;
  options.language = language_named(parser.value(kLanguage));
  if (!options.language) return UsageError{QStringLiteral("--lang takes de or en")};
  return std::nullopt;
}

std::variant<Options, UsageError> file_check(const QCommandLineParser& parser) {
  if (update_options_set(parser) || !parser.positionalArguments().isEmpty()) {
    return UsageError{QStringLiteral("--check takes only --lang besides its file")};
  }
  Options options = for_mode(Mode::Check);
  options.file = bytes_of(parser.value(kCheck));
  if (const auto error = read_language(parser, options)) return *error;
  return options;
}

std::optional<UsageError> read_ports(const QCommandLineParser& parser, Options& options) {
  options.ports = texts_of(parser.values(kPort));
  options.all_links = parser.isSet(kAllLinks);
  if (options.ports.contains(QString())) return UsageError{QStringLiteral("--port needs a port")};
  if (options.workshop_child && (options.ports.size() != 1 || options.all_links)) {
    return UsageError{QStringLiteral("--workshop-child takes one --port")};
  }
  return std::nullopt;
}

std::variant<Options, UsageError> update(const QCommandLineParser& parser) {
  Options options;
  options.workshop_child = parser.isSet(kWorkshopChild);
  options.json = parser.isSet(kJson) || options.workshop_child;
  options.trace = text_of(parser.value(kTrace));
  if (parser.isSet(kTrace) && options.trace.isEmpty()) return UsageError{QStringLiteral("--trace needs a file")};
  if (const auto error = read_ports(parser, options)) return *error;
  if (const auto error = read_language(parser, options)) return *error;
  const QStringList files = parser.positionalArguments();
  if (files.size() != 1) return UsageError{QStringLiteral("give one firmware file")};
  options.file = bytes_of(files.constFirst());
  return options;
}

} // namespace

std::variant<Options, UsageError> parse_options(const std::vector<std::string>& arguments) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.addOptions({kPort, kAllLinks, kLanguage, kJson, kTrace, kCheck, kListPorts, kHelp, kVersion, kWorkshopChild});
  if (!parser.parse(byte_for_byte(arguments))) return UsageError{text_of(parser.errorText())};
  if (parser.isSet(kHelp)) return for_mode(Mode::Help);
  if (parser.isSet(kVersion)) return for_mode(Mode::Version);
  if (parser.isSet(kListPorts)) return port_listing(parser);
  if (parser.isSet(kCheck)) return file_check(parser);
  return update(parser);
}

Language language_of(const Options& options) {
  if (options.language) return *options.language;
  return QLocale::system().language() == QLocale::German ? Language::German : Language::English;
}

QString language_code(Language language) {
  return language == Language::German ? QStringLiteral("de") : QStringLiteral("en");
}

} // namespace cli
