#include "options.h"

#include "text.h"
#include "texts.h"
#include "user_language.h"

#include <algorithm>
#include <map>

namespace cli {
namespace {

struct OptionName {
  const char* name;
  bool takes_value;
};

constexpr char kPort[] = "port";
constexpr char kAllLinks[] = "all-links";
constexpr char kLanguage[] = "lang";
constexpr char kJson[] = "json";
constexpr char kTrace[] = "trace";
constexpr char kCheck[] = "check"; // the file is the one argument, wherever it stands
constexpr char kListPorts[] = "list-ports";
constexpr char kHelp[] = "help";
constexpr char kVersion[] = "version";
constexpr char kForce[] = "force";
// Set by the program itself when it starts a copy of itself for one port.
constexpr char kWorkshopChild[] = "workshop-child";

constexpr OptionName kOptions[] = {{kPort, true},     {kAllLinks, false}, {kLanguage, true},      {kJson, false},
                                   {kTrace, true},    {kCheck, false},    {kListPorts, false},    {kHelp, false},
                                   {kVersion, false}, {kForce, false},    {kWorkshopChild, false}};

const OptionName* option_named(const std::string& name) {
  const auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                  [&](const OptionName& option) { return name == option.name; });
  return found == std::end(kOptions) ? nullptr : found;
}

// The command line split as it always was: "--name" or "-name" (a word after
// one dash is a long option), a value after "=" or as the next argument
// whatever it looks like, "--" ends the options and "-" alone is a file.
// Every argument is taken byte for byte; the options themselves are ASCII.
class ParsedLine {
public:
  // False on unknown options, a value given to an option that takes none,
  // or a value missing after the last argument.
  bool parse(const std::vector<std::string>& arguments) {
    bool error = false;
    bool only_files = false;
    for (std::size_t at = 1; at < arguments.size(); ++at) {
      const std::string& argument = arguments[at];
      if (only_files || argument.size() < 2 || argument[0] != '-') {
        files_.push_back(argument);
      } else if (argument == "--") {
        only_files = true;
      } else if (!take_option(arguments, at)) {
        error = true;
      }
    }
    return !error;
  }

  bool is_set(const char* name) const { return values_.count(name) > 0; }
  std::vector<std::string> values(const char* name) const {
    const auto found = values_.find(name);
    return found == values_.end() ? std::vector<std::string>{} : found->second;
  }
  // The last value given; empty when none.
  std::string value(const char* name) const {
    const auto all = values(name);
    return all.empty() ? std::string() : all.back();
  }
  const std::vector<std::string>& files() const { return files_; }
  const std::vector<std::string>& unknown() const { return unknown_; }

private:
  bool take_option(const std::vector<std::string>& arguments, std::size_t& at) {
    const std::string& argument = arguments[at];
    const std::size_t start = argument[1] == '-' ? 2 : 1;
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(start, equals == std::string::npos ? std::string::npos : equals - start);
    const OptionName* option = option_named(name);
    if (!option) {
      unknown_.push_back(name);
      return false;
    }
    std::vector<std::string>& values = values_[option->name];
    if (equals != std::string::npos) {
      if (!option->takes_value) return false;
      values.push_back(argument.substr(equals + 1));
    } else if (option->takes_value) {
      if (++at == arguments.size()) return false;
      values.push_back(arguments[at]);
    }
    return true;
  }

  std::map<std::string, std::vector<std::string>> values_; // of each option given, by name
  std::vector<std::string> files_;
  std::vector<std::string> unknown_;
};

Options for_mode(Mode mode) {
  Options options;
  options.mode = mode;
  return options;
}

std::optional<Language> language_named(const std::string& name) {
  if (name == "de") return Language::German;
  if (name == "en") return Language::English;
  return std::nullopt;
}

Language locale_language() { return rt::user_language() == "de" ? Language::German : Language::English; }

// Refused in --lang's language where it was given right, so a German user
// reads why in German.
UsageError refused(const ParsedLine& parser, const char* Texts::*reason, const std::string& detail = {}) {
  return {reason, detail, language_named(parser.value(kLanguage)).value_or(locale_language())};
}

bool any_set(const ParsedLine& parser, std::initializer_list<const char*> options) {
  return std::any_of(options.begin(), options.end(), [&](const char* option) { return parser.is_set(option); });
}

// Options that belong to an update only; --json a check takes too.
bool update_options_set(const ParsedLine& parser) {
  return any_set(parser, {kPort, kAllLinks, kTrace, kWorkshopChild, kForce});
}

std::variant<Options, UsageError> port_listing(const ParsedLine& parser) {
  if (update_options_set(parser) || any_set(parser, {kJson, kLanguage, kCheck}) || !parser.files().empty()) {
    return refused(parser, &Texts::usage_list_ports_alone);
  }
  return for_mode(Mode::ListPorts);
}

std::optional<UsageError> read_language(const ParsedLine& parser, Options& options) {
  if (!parser.is_set(kLanguage)) return std::nullopt;
  options.language = language_named(parser.value(kLanguage));
  if (!options.language) return refused(parser, &Texts::usage_language);
  return std::nullopt;
}

std::optional<UsageError> read_file(const ParsedLine& parser, Options& options) {
  if (parser.files().size() != 1) return refused(parser, &Texts::usage_one_file);
  options.file = parser.files().front();
  return std::nullopt;
}

std::variant<Options, UsageError> file_check(const ParsedLine& parser) {
  Options options = for_mode(Mode::Check);
  options.json = parser.is_set(kJson);
  if (update_options_set(parser)) return refused(parser, &Texts::usage_check_alone);
  if (const auto error = read_language(parser, options)) return *error;
  if (const auto error = read_file(parser, options)) return *error;
  return options;
}

std::optional<UsageError> read_ports(const ParsedLine& parser, Options& options) {
  options.ports = parser.values(kPort);
  options.all_links = parser.is_set(kAllLinks);
  if (std::count(options.ports.begin(), options.ports.end(), std::string()) > 0) {
    return refused(parser, &Texts::usage_needs_value, "--port");
  }
  if (options.workshop_child && (options.ports.size() != 1 || options.all_links)) {
    return refused(parser, &Texts::usage_workshop_child);
  }
  return std::nullopt;
}

std::variant<Options, UsageError> update(const ParsedLine& parser) {
  Options options;
  options.workshop_child = parser.is_set(kWorkshopChild);
  options.json = parser.is_set(kJson) || options.workshop_child;
  options.force = parser.is_set(kForce);
  options.trace = parser.value(kTrace);
  if (parser.is_set(kTrace) && options.trace.empty()) return refused(parser, &Texts::usage_needs_value, "--trace");
  if (const auto error = read_ports(parser, options)) return *error;
  if (const auto error = read_language(parser, options)) return *error;
  if (const auto error = read_file(parser, options)) return *error;
  return options;
}

// An option given with =, by its name; empty for anything else.
std::string name_before_value(const std::string& argument) {
  const std::size_t equals = argument.find('=');
  if (argument.empty() || argument[0] != '-' || equals == std::string::npos) return {};
  std::size_t start = 0;
  while (start < equals && argument[start] == '-') ++start;
  return argument.substr(start, equals - start);
}

bool takes_value(const std::string& name) {
  const OptionName* option = option_named(name);
  return option && option->takes_value;
}

std::string joined_option_names(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "--" : ", --") + name;
  return joined;
}

// The line failed on unknown options, on a value given to an option that
// takes none, or on a value missing after the last argument.
UsageError parse_error(const ParsedLine& parser, const std::vector<std::string>& arguments) {
  if (!parser.unknown().empty()) return refused(parser, &Texts::usage_unknown, joined_option_names(parser.unknown()));
  for (std::size_t at = 1; at < arguments.size(); ++at) {
    if (arguments[at] == "--") break;
    const std::string name = name_before_value(arguments[at]);
    if (!name.empty() && !takes_value(name)) return refused(parser, &Texts::usage_no_value, "--" + name);
  }
  return refused(parser, &Texts::usage_needs_value, arguments.back());
}

// Help in the language asked for.
std::variant<Options, UsageError> language_only(const ParsedLine& parser, Mode mode) {
  Options options = for_mode(mode);
  if (const auto error = read_language(parser, options)) return *error;
  return options;
}

} // namespace

std::variant<Options, UsageError> parse_options(const std::vector<std::string>& arguments) {
  ParsedLine parser;
  if (!parser.parse(arguments)) return parse_error(parser, arguments);
  if (parser.is_set(kHelp)) return language_only(parser, Mode::Help);
  if (parser.is_set(kVersion)) return for_mode(Mode::Version);
  if (parser.is_set(kListPorts)) return port_listing(parser);
  if (parser.is_set(kCheck)) return file_check(parser);
  return update(parser);
}

Language language_of(const Options& options) { return options.language.value_or(locale_language()); }

std::string reason_of(const UsageError& error) {
  const std::string reason = texts_for(error.language).*error.reason;
  return error.detail.empty() ? reason : format(reason, {error.detail});
}

std::string language_code(Language language) { return language == Language::German ? "de" : "en"; }

} // namespace cli
