#include "options.h"

#include "qt_text.h"
#include "texts.h"

#include <QCommandLineParser>
#include <QLocale>
#include <algorithm>
#include <array>

namespace cli {
namespace {

const QCommandLineOption kPort(QStringLiteral("port"), {}, QStringLiteral("PORT"));
const QCommandLineOption kAllLinks(QStringLiteral("all-links"));
const QCommandLineOption kLanguage(QStringLiteral("lang"), {}, QStringLiteral("LANG"));
const QCommandLineOption kJson(QStringLiteral("json"));
const QCommandLineOption kTrace(QStringLiteral("trace"), {}, QStringLiteral("FILE"));
const QCommandLineOption kCheck(QStringLiteral("check")); // the file is the one argument, wherever it stands
const QCommandLineOption kListPorts(QStringLiteral("list-ports"));
const QCommandLineOption kHelp(QStringLiteral("help"));
const QCommandLineOption kVersion(QStringLiteral("version"));
const QCommandLineOption kForce(QStringLiteral("force"));
// Set by the program itself when it starts a copy of itself for one port.
const QCommandLineOption kWorkshopChild(QStringLiteral("workshop-child"));
const std::array kValueOptions = {&kPort, &kLanguage, &kTrace};

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

Language locale_language() {
  return QLocale::system().language() == QLocale::German ? Language::German : Language::English;
}

// Refused in --lang's language where it was given right, so a German user
// reads why in German.
UsageError refused(const QCommandLineParser& parser, const char* Texts::*reason, const QString& detail = {}) {
  return {reason, detail, language_named(parser.value(kLanguage)).value_or(locale_language())};
}

bool any_set(const QCommandLineParser& parser, const QList<const QCommandLineOption*>& options) {
  return std::any_of(options.begin(), options.end(), [&](const auto* option) { return parser.isSet(*option); });
}

// Options that belong to an update only; --json a check takes too.
bool update_options_set(const QCommandLineParser& parser) {
  return any_set(parser, {&kPort, &kAllLinks, &kTrace, &kWorkshopChild, &kForce});
}

std::variant<Options, UsageError> port_listing(const QCommandLineParser& parser) {
  if (update_options_set(parser) || any_set(parser, {&kJson, &kLanguage, &kCheck}) ||
      !parser.positionalArguments().isEmpty()) {
    return refused(parser, &Texts::usage_list_ports_alone);
  }
  return for_mode(Mode::ListPorts);
}

std::optional<UsageError> read_language(const QCommandLineParser& parser, Options& options) {
  if (!parser.isSet(kLanguage)) return std::nullopt;
  options.language = language_named(parser.value(kLanguage));
  if (!options.language) return refused(parser, &Texts::usage_language);
  return std::nullopt;
}

std::optional<UsageError> read_file(const QCommandLineParser& parser, Options& options) {
  const QStringList files = parser.positionalArguments();
  if (files.size() != 1) return refused(parser, &Texts::usage_one_file);
  options.file = bytes_of(files.constFirst());
  return std::nullopt;
}

std::variant<Options, UsageError> file_check(const QCommandLineParser& parser) {
  Options options = for_mode(Mode::Check);
  options.json = parser.isSet(kJson);
  if (update_options_set(parser)) return refused(parser, &Texts::usage_check_alone);
  if (const auto error = read_language(parser, options)) return *error;
  if (const auto error = read_file(parser, options)) return *error;
  return options;
}

std::optional<UsageError> read_ports(const QCommandLineParser& parser, Options& options) {
  options.ports = texts_of(parser.values(kPort));
  options.all_links = parser.isSet(kAllLinks);
  if (options.ports.contains(QString())) return refused(parser, &Texts::usage_needs_value, QStringLiteral("--port"));
  if (options.workshop_child && (options.ports.size() != 1 || options.all_links)) {
    return refused(parser, &Texts::usage_workshop_child);
  }
  return std::nullopt;
}

std::variant<Options, UsageError> update(const QCommandLineParser& parser) {
  Options options;
  options.workshop_child = parser.isSet(kWorkshopChild);
  options.json = parser.isSet(kJson) || options.workshop_child;
  options.force = parser.isSet(kForce);
  options.trace = text_of(parser.value(kTrace));
  if (parser.isSet(kTrace) && options.trace.isEmpty()) {
    return refused(parser, &Texts::usage_needs_value, QStringLiteral("--trace"));
  }
  if (const auto error = read_ports(parser, options)) return *error;
  if (const auto error = read_language(parser, options)) return *error;
  if (const auto error = read_file(parser, options)) return *error;
  return options;
}

QString option_named(const QString& name) { return QStringLiteral("--") + text_of(name); }

// An option given with =, by its name; empty for anything else.
QString name_before_value(const QString& argument) {
  const qsizetype equals = argument.indexOf(QLatin1Char('='));
  if (!argument.startsWith(QLatin1Char('-')) || equals < 0) return {};
  qsizetype start = 0;
  while (start < equals && argument[start] == QLatin1Char('-')) ++start;
  return argument.mid(start, equals - start);
}

bool takes_value(const QString& name) {
  return std::any_of(kValueOptions.begin(), kValueOptions.end(),
                     [&](const auto* option) { return option->names().contains(name); });
}

// QCommandLineParser's own error texts are English. It fails on unknown
// options, on a value given to an option that takes none, and on a value
// missing after the last argument.
UsageError parse_error(const QCommandLineParser& parser, const QStringList& characters) {
  QStringList unknown = parser.unknownOptionNames();
  if (!unknown.isEmpty()) {
    std::transform(unknown.begin(), unknown.end(), unknown.begin(), option_named);
    return refused(parser, &Texts::usage_unknown, unknown.join(QStringLiteral(", ")));
  }
  for (const QString& argument : characters.mid(1)) {
    if (argument == QLatin1String("--")) break;
    const QString name = name_before_value(argument);
    if (!name.isEmpty() && !takes_value(name)) return refused(parser, &Texts::usage_no_value, option_named(name));
  }
  return refused(parser, &Texts::usage_needs_value, text_of(characters.constLast()));
}

// Help in the language asked for.
std::variant<Options, UsageError> language_only(const QCommandLineParser& parser, Mode mode) {
  Options options = for_mode(mode);
  if (const auto error = read_language(parser, options)) return *error;
  return options;
}

} // namespace

std::variant<Options, UsageError> parse_options(const std::vector<std::string>& arguments) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.addOptions(
      {kPort, kAllLinks, kLanguage, kJson, kTrace, kCheck, kListPorts, kHelp, kVersion, kWorkshopChild, kForce});
  const QStringList characters = byte_for_byte(arguments);
  if (!parser.parse(characters)) return parse_error(parser, characters);
  if (parser.isSet(kHelp)) return language_only(parser, Mode::Help);
  if (parser.isSet(kVersion)) return for_mode(Mode::Version);
  if (parser.isSet(kListPorts)) return port_listing(parser);
  if (parser.isSet(kCheck)) return file_check(parser);
  return update(parser);
}

Language language_of(const Options& options) { return options.language.value_or(locale_language()); }

QString reason_of(const UsageError& error) {
  const QString reason = QString::fromUtf8(texts_for(error.language).*error.reason);
  return error.detail.isEmpty() ? reason : reason.arg(error.detail);
}

QString language_code(Language language) {
  return language == Language::German ? QStringLiteral("de") : QStringLiteral("en");
}

} // namespace cli
