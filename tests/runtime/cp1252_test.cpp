#include "cp1252.h"

#include <gtest/gtest.h>

namespace {

struct Mapping {
  unsigned char byte;
  char16_t unicode;
};

// Latin-1 positions, the letters the texts use, and the range where
// Windows-1252 differs from Latin-1, undefined positions included.
constexpr Mapping kMappings[] = {
    {'A', u'A'},     {0x0A, u'\n'},   {0xE4, u'ä'},    {0xF6, u'ö'},    {0xFC, u'ü'},
    {0xDF, u'ß'},    {0xC4, u'Ä'},    {0xD6, u'Ö'},    {0xDC, u'Ü'},    {0xA0, u'\u00A0'},
    {0xFF, u'ÿ'},    {0x80, u'€'},    {0x8A, u'Š'},    {0x96, u'–'},    {0x9F, u'Ÿ'},
    {0x81, u'\u0081'}, {0x8D, u'\u008D'}, {0x8F, u'\u008F'}, {0x90, u'\u0090'}, {0x9D, u'\u009D'},
};

TEST(Cp1252, EachByteMapsBothWays) {
  for (const Mapping& mapping : kMappings) {
    const std::string byte(1, static_cast<char>(mapping.byte));
    const QString text = rt::from_cp1252(byte);
    ASSERT_EQ(text.size(), 1);
    EXPECT_EQ(text[0].unicode(), mapping.unicode) << int(mapping.byte);
    EXPECT_EQ(rt::to_cp1252(text), byte) << int(mapping.byte);
  }
}

TEST(Cp1252, AllBytesSurviveARoundTrip) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  EXPECT_EQ(rt::to_cp1252(rt::from_cp1252(all)), all);
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(rt::to_cp1252(QString::fromUtf8("Ж/Ω.frm")), "?/?.frm");
}

} // namespace
