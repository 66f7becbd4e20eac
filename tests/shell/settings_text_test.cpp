// Lines of the settings file as UTF-8: files of this version are UTF-8,
// files of earlier versions hold Windows-1252 bytes.
#include "util.h"

#include <gtest/gtest.h>

namespace kovo {
namespace {

struct Legacy {
  unsigned char byte;
  const char* utf8;
};

// Latin-1 positions, the letters German names use, and the range where
// Windows-1252 differs from Latin-1, unused positions included.
constexpr Legacy kLegacyBytes[] = {
    {0xE4, "ä"},      {0xF6, "ö"},      {0xFC, "ü"},      {0xDF, "ß"},      {0xC4, "Ä"}, {0xA0, "\u00A0"},
    {0xFF, "ÿ"},      {0x80, "€"},      {0x8A, "Š"},      {0x96, "–"},      {0x9F, "Ÿ"}, {0x81, "\u0081"},
    {0x8D, "\u008D"}, {0x8F, "\u008F"}, {0x90, "\u0090"}, {0x9D, "\u009D"},
};

TEST(SettingsText, EarlierWindows1252LinesReadAsTheirCharacters) {
  for (const Legacy& legacy : kLegacyBytes) {
    const std::string line = std::string("C:\\fw\\") + static_cast<char>(legacy.byte) + ".frm";
    EXPECT_EQ(settings_text_as_utf8(line), std::string("C:\\fw\\") + legacy.utf8 + ".frm") << int(legacy.byte);
  }
}

TEST(SettingsText, Utf8LinesStandAsTheyAre) {
  for (const char* line : {"", "/fw/a.frm", "/home/jiří/Příliš žluťoučký.frm", "C:\\Користувач\\固件.frm",
                           "/fw/\U0001F680.frm", "/fw/\u00A0\u20AC.frm"}) {
    EXPECT_EQ(settings_text_as_utf8(line), line);
  }
}

// Bytes that no UTF-8 writer produces mark a line of an earlier version.
TEST(SettingsText, MalformedUtf8IsTakenAsWindows1252) {
  const struct {
    const char* bytes;
    const char* read_as;
  } cases[] = {
      {"a\xC3", "aÃ"},                   // a sequence cut short
      {"\xC0\xAF", "À¯"},                // overlong slash
      {"\xE0\x80\xAF", "à€¯"},           // overlong, three bytes
      {"\xED\xA0\x80", "í\u00A0€"},      // a surrogate
      {"\xF4\x90\x80\x80", "ô\u0090€€"}, // past U+10FFFF
      {"\x80x", "€x"},                   // a stray continuation byte
  };
  for (const auto& c : cases) EXPECT_EQ(settings_text_as_utf8(c.bytes), c.read_as) << c.bytes;
}

} // namespace
} // namespace kovo
