// The two conversions between 8-bit text and UTF-8, and letter-case folding.
#include <gtest/gtest.h>

#include <string>

#include "prefs/prefs_text.h"

namespace {

std::string to_utf8(const std::string& in) {
  std::string out(utf8_length_of_latin1(in.data(), in.size()) + 1, '#');
  size_t n = latin1_to_utf8(in.data(), in.size(), &out[0]);
  EXPECT_EQ(out[n], '\0');
  out.resize(n);
  return out;
}

std::string to_latin1(const std::string& in) {
  std::string out;
  utf8_to_latin1(in.data(), in.size(), out);
  return out;
}

TEST(PrefsText, Latin1ToUtf8) {
  EXPECT_EQ(to_utf8("abc"), "abc");
  EXPECT_EQ(to_utf8("\xE4"), "\xC3\xA4");
  EXPECT_EQ(to_utf8("\x80\xFF"), "\xC2\x80\xC3\xBF");
  EXPECT_EQ(to_utf8(""), "");
}

TEST(PrefsText, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(to_latin1(to_utf8(all)), all);
}

struct Utf8Case {
  const char* name;
  std::string in;
  std::string out;
};
class Utf8ToLatin1 : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToLatin1, Converts) { EXPECT_EQ(to_latin1(GetParam().in), GetParam().out); }

const Utf8Case kUtf8Cases[] = {
    {"Ascii", "plain", "plain"},
    {"TwoByteLatin1", "\xC3\xA4x", "\xE4x"},
    {"TwoByteAboveFF", "\xC4\x80x", "?x"},
    {"TwoByteLeadWithoutContinuation",
     "\xC3"
     "A",
     "?A"},
    {"TwoByteLeadThenAnotherLead", "\xC3\xC3\xA4", "?\xE4"},
    {"OverlongZero", std::string("\xC0\x80", 2), "?"},
    {"OverlongSlash", "\xC0\xAF", "?"},
    {"ThreeByte", "\xE2\x82\xAC!", "?!"},
    {"ThreeByteShortThenAscii",
     "\xE2\x82"
     "ab",
     "?ab"},
    {"FourByte", "\xF0\x9F\x98\x80z", "?z"},
    {"FourByteSwallowsAtMostThree", "\xF0\x9F\x98\x80\x80z", "?z"},
    {"ThreeByteSwallowsAtMostTwo", "\xE2\x82\xAC\x80z", "?z"},
    {"StrayContinuation", "\x80\xBFx", "x"},
    {"F8ToFF", "\xF8\xFB\xFC\xFE\xFFx", "x"},
    {"CutTwoByte", "a\xC3", "a"},
    {"CutThreeByte", "a\xE2\x82", "a"},
    {"CutFourByte", "a\xF0\x9F\x98", "a"},
    {"CutThreeByteKeepsAscii",
     "\xE2"
     "a",
     "a"},
};

INSTANTIATE_TEST_SUITE_P(Prefs, Utf8ToLatin1, ::testing::ValuesIn(kUtf8Cases),
                         [](const ::testing::TestParamInfo<Utf8Case>& i) {
                           return std::string(i.param.name);
                         });

TEST(PrefsText, NeverReadsPastTheGivenLength) {
  // Leads right before the end must not look at the byte after it.
  const char data[] = "\xC3\xA4\xE2\x82\xAC";
  std::string out;
  utf8_to_latin1(data, 1, out);
  EXPECT_EQ(out, "");
  utf8_to_latin1(data + 2, 2, out);
  EXPECT_EQ(out, "");
}

TEST(PrefsText, AsciiCaseFolding) {
  EXPECT_TRUE(ascii_iequal("Minecraft", "mINECRAFT"));
  EXPECT_FALSE(ascii_iequal("\xC4", "\xE4"));
  EXPECT_FALSE(ascii_iequal("ab", "abc"));
  EXPECT_FALSE(ascii_iequal("@", "`"));  // neighbours of A-Z and a-z do not fold
  EXPECT_EQ(ascii_ihash("AbC"), ascii_ihash("aBc"));
}

}  // namespace
