#include "options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace kovo::devsim {

namespace {

// Command codes and the type code are given in hex.
constexpr int kHexBase = 16;
// Counts, pages, blocks, versions and milliseconds are given in decimal.
constexpr int kDecimalBase = 10;
// Separates the fields of a selector, a resize fault and a version.
constexpr char kFieldSeparator = ':';
constexpr char kVersionSeparator = '.';
// Last block of a page.
constexpr unsigned kMaxBlock = kPageSize / kBlockSize - 1;
// Largest value of a byte field.
constexpr unsigned kMaxByte = 0xFF;
// Column where the option descriptions start in --help.
constexpr std::size_t kHelpColumn = 30;

unsigned parseUnsigned(std::string_view text, int base, unsigned max) {
  if (base == kHexBase && (text.starts_with("0x") || text.starts_with("0X"))) text.remove_prefix(2);
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value > max) {
    throw UsageError("'" + std::string(text) + "' is not a " + (base == kHexBase ? "hex" : "decimal") +
                     " number up to " + std::to_string(max));
  }
  return value;
}

std::uint8_t parseByte(std::string_view text, int base) {
  return static_cast<std::uint8_t>(parseUnsigned(text, base, kMaxByte));
}

unsigned parseCount(std::string_view text, unsigned min = 0) {
  const unsigned value = parseUnsigned(text, kDecimalBase, std::numeric_limits<unsigned>::max());
  if (value < min) throw UsageError("the count must be at least " + std::to_string(min));
  return value;
}

std::vector<std::string_view> splitFields(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  for (std::size_t end = text.find(separator); end != std::string_view::npos; end = text.find(separator)) {
    fields.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  fields.push_back(text);
  return fields;
}

FrameSelector parseSelectorFields(std::span<const std::string_view> fields) {
  if (fields.empty() || fields.size() > 3) throw UsageError("a selector is CMD[:PAGE[:BLOCK]]");
  FrameSelector selector{parseByte(fields[0], kHexBase), std::nullopt, std::nullopt};
  if (fields.size() > 1) selector.page = parseByte(fields[1], kDecimalBase);
  if (fields.size() > 2) selector.block = static_cast<std::uint8_t>(parseUnsigned(fields[2], kDecimalBase, kMaxBlock));
  return selector;
}

FrameSelector parseSelector(std::string_view text) {
  const auto fields = splitFields(text, kFieldSeparator);
  return parseSelectorFields(fields);
}

// SEL:N, N at least 1: how many bytes a resize fault changes, how many milliseconds a late reply waits.
std::pair<FrameSelector, unsigned> parseSelectedCount(std::string_view text) {
  const auto fields = splitFields(text, kFieldSeparator);
  if (fields.size() < 2) throw UsageError("expected CMD[:PAGE[:BLOCK]]:N");
  const std::span<const std::string_view> selectorFields(fields.data(), fields.size() - 1);
  return {parseSelectorFields(selectorFields), parseCount(fields.back(), 1)};
}

ResizeFault parseResizeFault(std::string_view text) {
  const auto [selector, count] = parseSelectedCount(text);
  return {selector, count};
}

LateReply parseLateReply(std::string_view text) {
  const auto [selector, milliseconds] = parseSelectedCount(text);
  return {selector, std::chrono::milliseconds(milliseconds)};
}

void parseVersion(std::string_view text, Identity& identity) {
  const auto fields = splitFields(text, kVersionSeparator);
  if (fields.size() != 2) throw UsageError("a version is MAJOR.MINOR");
  identity.versionMajor = parseByte(fields[0], kDecimalBase);
  identity.versionMinor = parseByte(fields[1], kDecimalBase);
}

struct OptionEntry {
  std::string_view name;
  std::string_view argument; // empty for flags
  std::string_view help;
  void (*apply)(Options&, std::string_view);
};

const std::array kOptionTable{
    OptionEntry{"type", "HEX", "device type code (default 71)",
                [](Options& o, std::string_view v) { o.device.identity.type = parseByte(v, kHexBase); }},
    OptionEntry{"bootloader-version", "MAJ.MIN", "bootloader version (default 2.3)",
                [](Options& o, std::string_view v) { parseVersion(v, o.device.identity); }},
    OptionEntry{"silent-ids", "N", "ignore the first N identification requests (echo only)",
                [](Options& o, std::string_view v) { o.device.silentIdentifications = parseCount(v); }},
    OptionEntry{"paced", "", "send echo and replies at 38400 baud 8N2 (11 bit times per byte)",
                [](Options& o, std::string_view) { o.paced = true; }},
    OptionEntry{"reply-delay", "MS", "wait MS milliseconds after the echo before each reply",
                [](Options& o, std::string_view v) { o.replyDelay = std::chrono::milliseconds(parseCount(v)); }},
    OptionEntry{"silent-frames", "N", "ignore the first N programming frames (echo only)",
                [](Options& o, std::string_view v) { o.device.silentFrames = parseCount(v); }},
    OptionEntry{"silent-after-frames", "N", "answer N programming frames, then echo only",
                [](Options& o, std::string_view v) { o.device.silentAfterFrames = parseCount(v); }},
    OptionEntry{"close-after-frames", "N", "answer N programming frames, then close the line and exit",
                [](Options& o, std::string_view v) { o.device.closeAfterFrames = parseCount(v, 1); }},
    OptionEntry{"wrong-code", "SEL", "answer selected frames with a wrong code (check consistent)",
                [](Options& o, std::string_view v) { o.device.replyFaults.wrongCode = parseSelector(v); }},
    OptionEntry{"wrong-check", "SEL", "answer selected frames with a wrong check byte",
                [](Options& o, std::string_view v) { o.device.replyFaults.wrongCheck = parseSelector(v); }},
    OptionEntry{"extra-bytes", "SEL:N", "append N bytes (00) to the reply to selected frames",
                [](Options& o, std::string_view v) { o.device.replyFaults.extraBytes = parseResizeFault(v); }},
    OptionEntry{"missing-bytes", "SEL:N", "drop the last N bytes of the reply to selected frames",
                [](Options& o, std::string_view v) { o.device.replyFaults.missingBytes = parseResizeFault(v); }},
    OptionEntry{"late-reply", "SEL:MS", "reply MS milliseconds late to selected frames (the line waits)",
                [](Options& o, std::string_view v) { o.device.replyFaults.lateReply = parseLateReply(v); }},
    OptionEntry{"wrong-echo", "SEL", "echo the last byte of selected frames with one bit flipped",
                [](Options& o, std::string_view v) { o.wrongEcho = parseSelector(v); }},
    OptionEntry{"memory-out", "FILE", "write the 64 KiB memory to FILE on the closing command and at exit",
                [](Options& o, std::string_view v) { o.memoryOut = std::string(v); }},
    OptionEntry{"log", "FILE", "log each received frame: seconds since start, bytes in hex",
                [](Options& o, std::string_view v) { o.logPath = std::string(v); }},
    OptionEntry{"exit-on-stdin-eof", "", "exit when standard input reaches end of file",
                [](Options& o, std::string_view) { o.exitOnStdinEof = true; }},
    OptionEntry{"help", "", "show this help and exit", [](Options& o, std::string_view) { o.helpRequested = true; }},
    OptionEntry{"version", "", "show the program's version and exit",
                [](Options& o, std::string_view) { o.versionRequested = true; }},
};

const OptionEntry& findOption(std::string_view name) {
  const auto entry = std::find_if(kOptionTable.begin(), kOptionTable.end(),
                                  [name](const OptionEntry& candidate) { return candidate.name == name; });
  if (entry == kOptionTable.end()) throw UsageError("unknown option --" + std::string(name));
  return *entry;
}

std::string dashed(const OptionEntry& entry) { return "--" + std::string(entry.name); }

// The value after '=' or, failing that, the next argument (then `index` moves on to it).
std::string_view takeValue(const OptionEntry& entry, std::span<const std::string> arguments, std::size_t& index) {
  const std::string_view argument = arguments[index];
  const std::size_t equals = argument.find('=');
  if (entry.argument.empty()) {
    if (equals != std::string_view::npos) throw UsageError(dashed(entry) + " takes no value");
    return {};
  }
  if (equals != std::string_view::npos) return argument.substr(equals + 1);
  if (++index < arguments.size()) return arguments[index];
  throw UsageError(dashed(entry) + " needs " + std::string(entry.argument));
}

void applyOption(const OptionEntry& entry, std::string_view value, Options& options) {
  try {
    entry.apply(options, value);
  } catch (const UsageError& error) {
    throw UsageError(dashed(entry) + ": " + error.what());
  }
}

} // namespace

Options parseOptions(std::span<const std::string> arguments) {
  Options options;
  std::set<std::string_view> given;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (!argument.starts_with("--")) throw UsageError("unexpected argument '" + arguments[i] + "'");
    const OptionEntry& entry = findOption(argument.substr(2, argument.find('=') - 2));
    if (!given.insert(entry.name).second) throw UsageError(dashed(entry) + " given more than once");
    applyOption(entry, takeValue(entry, arguments, i), options);
  }
  return options;
}

std::string usageText() {
  std::string text =
      "Usage: kovo-devsim [OPTION]...\n"
      "Simulates the bootloader of a Kovo receiver on a pseudo-terminal.\n"
      "The first line of output is the port to open. Every byte received is echoed, as on the one-wire line.\n"
      "\nOptions:\n";
  for (const OptionEntry& entry : kOptionTable) {
    std::string synopsis = "  --" + std::string(entry.name);
    if (!entry.argument.empty()) synopsis += " " + std::string(entry.argument);
    synopsis.resize(std::max(kHelpColumn, synopsis.size() + 1), ' ');
    text += synopsis + std::string(entry.help) + "\n";
  }
  text +=
      "\nSEL is CMD[:PAGE[:BLOCK]]: CMD the command code in hex (01 selects identification requests),\n"
      "PAGE the page number in decimal (page commands 0A, 07, 08), BLOCK the block in the page in decimal\n"
      "(offset / 16, data frames 0A). A fault hits every frame the selector matches, retries included.\n"
      "Programming frames count from 1 when check, command and length are right; other frames get no reply.\n"
      "Silent and closing faults still store data. A late reply holds the line: the echo of a frame sent\n"
      "meanwhile follows it, as the next attempt's echo follows a reply that came after the PC's time-out.\n"
      "Each option may be given once.\n";
  return text;
}

} // namespace kovo::devsim
