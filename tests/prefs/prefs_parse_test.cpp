// Reading: the file format, group selection and key lookup on the portable entry list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "prefs/prefs_file.h"
#include "prefs_test_util.h"

namespace {

using Lines = std::vector<std::string>;

struct ParseCase {
  const char* name;
  std::string input;
  Lines expected;
};

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, GivesEntries) {
  LoadedFile lf(GetParam().input);
  EXPECT_EQ(dump(lf.f), GetParam().expected);
  EXPECT_TRUE(links_consistent(lf.f));
  EXPECT_EQ(lf.f.read_only, 0u);
}

using S = std::string;
const ParseCase kParseCases[] = {
    {"NoLineEnd", "k=v", {"k=v"}},
    {"BlanksAroundKeyAndEquals", " \t key \t = \t value \t \r\n", {"key=value \t "}},
    {"CommentSpacing", ";text\n; text\n;  text\n;\n", {";text", ";text", "; text", ";"}},
    {"SemicolonInsideValueIsValue", "k = a ; b", {"k=a ; b"}},
    {"GroupBlanksKept", "[ a b ]", {"[ a b ]"}},
    {"GroupWithoutBracket", "[abc def\nk=1", {"[abc def]", "k=1"}},
    {"TextAfterBracketIgnored", "[g]x=1 ; y\nk=1", {"[g]", "k=1"}},
    {"GroupSecondBracket", "[a]b]", {"[a]"}},
    {"EmptyGroup", "[]\n[", {"[]", "[]"}},
    {"KeyWithoutEqualsLf", "a\nb=1", {"a=", "b=1"}},
    {"KeyWithoutEqualsCr", "a\rb=1", {"a=", "b=1"}},
    {"KeyWithoutEqualsCrLf", "a\r\nb=1", {"a=", "b=1"}},
    {"KeyWithoutEqualsTrailingBlanks", "a b \t\nc", {"a b=", "c="}},
    {"EmptyKey", "=v\n  = w", {"=v", "=w"}},
    {"SecondEqualsInValue", "a=b=c", {"a=b=c"}},
    {"BlankLinesAndRuns", "\r\n\r\n  \t \r\r\n\na=1\n\n\n\r\rb=2\r\n", {"a=1", "b=2"}},
    {"LoneCrLineEnds", "[g]\ra=1\r;c\rb\r", {"[g]", "a=1", ";c", "b="}},
    {"ZeroByteEndsLine", S("a=x\0y=2\0\0[g\0]", 13), {"a=x", "y=2", "[g]", "]="}},
    {"OnlyBom", "\xEF\xBB\xBF", {}},
    {"OneByte", "k", {"k="}},
    {"TwoBytes", "[g", {"[g]"}},
    {"OnlyLineEnds", "\r\n", {}},
    {"OnlyBlanks", " \t ", {}},
    {"LeadingBlanksBeforeMarks", "   ;c\n\t[g]\n  k=v", {";c", "[g]", "k=v"}},
};

INSTANTIATE_TEST_SUITE_P(Format, ParseTest, ::testing::ValuesIn(kParseCases),
                         [](const ::testing::TestParamInfo<ParseCase>& i) {
                           return std::string(i.param.name);
                         });

TEST(PrefsParse, ByteOrderMarkSelectsUtf8) {
  LoadedFile bom("\xEF\xBB\xBFk=v");
  EXPECT_EQ(bom.f.encoding, kEncodingUtf8);
  EXPECT_EQ(dump(bom.f), Lines{"k=v"});
  LoadedFile plain("k=\xEF\xBB\xBF");
  EXPECT_EQ(plain.f.encoding, kEncodingAnsi);
}

TEST(PrefsParse, TextsEndInsideTheBuffer) {
  // Texts of parsed entries belong to the buffer, also an empty value at its very end.
  LoadedFile lf("[g]\nk=");
  for (const PreferenceEntry* e = lf.f.entries; e; e = e->next) {
    EXPECT_TRUE(text_in_buffer(lf.f, e->text));
  }
}

TEST(PrefsParse, ReloadIntoKeptMemoryShowsOnlyTheNewFile) {
  // A large file leaves its buffer and entry blocks (with a built key table) to the next load;
  // a smaller and then a larger file parsed into them show nothing of the ones before.
  std::string big = "[g]\n";
  for (int i = 0; i < 5000; ++i) big += "k" + std::to_string(i) + "=value\n";
  PreferenceFile f{};
  f.handle = 1;
  ASSERT_TRUE(file_load_text(f, big.data(), big.size()));
  ASSERT_EQ(file_select_group(f, "g"), 1);
  EXPECT_EQ(file_read_string(f, "k4999", ""), "value");
  file_release_keep_memory(f);
  EXPECT_FALSE(file_is_open(f));
  ASSERT_NE(f.spare.buffer, nullptr);
  ASSERT_NE(f.spare.blocks, nullptr);

  for (const std::string& text : {std::string("[g]\nk1=x"), big + "[h]\nlast=1"}) {
    f.handle = 1;
    ASSERT_TRUE(file_load_text(f, text.data(), text.size()));
    EXPECT_TRUE(links_consistent(f));
    ASSERT_EQ(file_select_group(f, "g"), 1);
    EXPECT_EQ(file_read_string(f, "k4999", "-"), text == big + "[h]\nlast=1" ? "value" : "-");
    EXPECT_EQ(file_read_string(f, "k1", ""), text.size() < 20 ? "x" : "value");
    file_release_keep_memory(f);
  }
  f.handle = 1;
  ASSERT_TRUE(file_load_text(f, "[g]\nk1=x", 8));
  EXPECT_EQ(dump(f), (Lines{"[g]", "k1=x"}));
  file_release(f);
  EXPECT_EQ(f.spare.buffer, nullptr);
  EXPECT_EQ(f.spare.blocks, nullptr);
}

// Lookups run twice: through the hash index and by walking the list.
class LookupTest : public ::testing::TestWithParam<bool> {
 protected:
  void prepare(LoadedFile& lf) {
    if (!GetParam()) lf.without_index();
    // The lookups went the way the parameter names: through the tables when indexed, by
    // walking the list otherwise.
    const bool indexed = GetParam();
    lf.before_release = [indexed](const PreferenceFile& f) {
      EXPECT_EQ(f.group_index.slots != nullptr || f.top_keys.slots != nullptr, indexed);
    };
  }
};

TEST_P(LookupTest, KeysAndGroupsIgnoreLetterCaseOfAsciiOnly) {
  LoadedFile lf(" Key = v \n[Gruppe]\n\xC4=umlaut\nk=g\n");
  prepare(lf);
  EXPECT_EQ(file_read_string(lf.f, "kEY", "d"), "v");
  EXPECT_EQ(file_select_group(lf.f, "gRUPPE"), 1);
  EXPECT_EQ(file_read_string(lf.f, "K", "d"), "g");
  EXPECT_EQ(file_read_string(lf.f, "\xC4", "d"), "umlaut");
  EXPECT_EQ(file_read_string(lf.f, "\xE4", "d"), "d");  // only A-Z fold
}

TEST_P(LookupTest, TopRegionAndNamedGroups) {
  LoadedFile lf("top=1\n;c\n[a]\nx=a\n[b]\nx=b\n");
  prepare(lf);
  EXPECT_EQ(file_read_string(lf.f, "top", ""), "1");
  EXPECT_EQ(file_select_group(lf.f, "b"), 1);
  EXPECT_EQ(file_read_string(lf.f, "x", ""), "b");
  EXPECT_EQ(file_read_string(lf.f, "top", "none"), "none");
  EXPECT_EQ(file_select_group(lf.f, "a"), 1);
  EXPECT_EQ(file_read_string(lf.f, "x", ""), "a");
  EXPECT_EQ(file_select_group(lf.f, ""), 1);
  EXPECT_EQ(file_read_string(lf.f, "top", ""), "1");
  EXPECT_EQ(file_read_string(lf.f, "x", "none"), "none");  // the top region ends at [a]
  EXPECT_EQ(file_select_group(lf.f, nullptr), 1);
  EXPECT_EQ(file_read_string(lf.f, "top", ""), "1");
}

TEST_P(LookupTest, FirstOfDuplicatesWins) {
  LoadedFile lf("[g]\nk=1\nK=2\n[G]\nk=3\nonly=4\n");
  prepare(lf);
  ASSERT_EQ(file_select_group(lf.f, "g"), 1);
  EXPECT_EQ(file_read_string(lf.f, "k", ""), "1");
  EXPECT_EQ(file_read_string(lf.f, "only", "none"), "none");
}

TEST_P(LookupTest, BlanksInsideBracketsBelongToTheName) {
  LoadedFile lf("[ g ]\nk=1\n");
  prepare(lf);
  EXPECT_EQ(file_select_group(lf.f, "g"), 0);
  EXPECT_EQ(file_select_group(lf.f, " g "), 1);
  EXPECT_EQ(file_read_string(lf.f, "k", ""), "1");
}

TEST_P(LookupTest, MissingGroupHidesEveryKey) {
  LoadedFile lf("k=top\n[g]\nk=g\n");
  prepare(lf);
  ASSERT_EQ(file_select_group(lf.f, "g"), 1);
  EXPECT_EQ(file_select_group(lf.f, "nope"), 0);
  EXPECT_STREQ(lf.f.pending_group, "nope");
  EXPECT_EQ(file_find_value(lf.f, "k"), nullptr);
  EXPECT_EQ(file_read_string(lf.f, "k", "def"), "def");
  EXPECT_EQ(file_select_group(lf.f, "g"), 1);
  EXPECT_EQ(lf.f.pending_group, nullptr);
  EXPECT_EQ(file_read_string(lf.f, "k", ""), "g");
}

TEST_P(LookupTest, ReadTrimsValueButNotDefault) {
  LoadedFile lf("a=  x y \t\nb=\nc");
  prepare(lf);
  EXPECT_STREQ(file_find_value(lf.f, "a"), "x y \t");
  EXPECT_EQ(file_read_string(lf.f, "a", ""), "x y");
  EXPECT_EQ(file_read_string(lf.f, "b", "d"), "");
  EXPECT_EQ(file_read_string(lf.f, "c", "d"), "");
  EXPECT_EQ(file_read_string(lf.f, "missing", "  d  "), "  d  ");
  EXPECT_EQ(file_read_string(lf.f, "missing", nullptr), "");
  EXPECT_EQ(file_read_string(lf.f, nullptr, "d"), "d");  // absent key = ""
}

TEST_P(LookupTest, EmptyKeyIsAKey) {
  LoadedFile lf("=v\n");
  prepare(lf);
  EXPECT_EQ(file_read_string(lf.f, nullptr, "d"), "v");
}

TEST_P(LookupTest, Utf8FileConvertsAtTheBoundary) {
  LoadedFile lf(
      "\xEF\xBB\xBF[gr\xC3\xBC\xC3\x9F"
      "e]\nk\xC3\xA4=\xC3\xA4\neuro=\xE2\x82\xAC!\n");
  prepare(lf);
  ASSERT_EQ(file_select_group(lf.f,
                              "gr\xFC\xDF"
                              "e"),
            1);
  EXPECT_EQ(file_read_string(lf.f, "k\xE4", ""), "\xE4");
  EXPECT_EQ(file_read_string(lf.f, "euro", ""), "?!");
  EXPECT_EQ(file_select_group(lf.f,
                              "gr\xC3\xBC\xC3\x9F"
                              "e"),
            0);  // callers pass 8-bit text
}

TEST(PrefsLookup, NoFileFindsNothing) {
  PreferenceFile f{};
  EXPECT_EQ(file_select_group(f, "g"), 0);
  EXPECT_EQ(f.pending_group, nullptr);
  EXPECT_EQ(file_select_group(f, ""), 0);
  EXPECT_EQ(file_read_string(f, "k", "d"), "d");
  EXPECT_EQ(file_reserve_value(f, "k", 3), nullptr);
  file_release(f);
}

TEST_P(LookupTest, LongNamesAndLines) {
  std::string key(5000, 'K');
  std::string group(8000, 'g');
  std::string value(1 << 20, 'v');
  LoadedFile lf(key + "=" + value + "\n[" + group + "]\n" + key + "=2");
  prepare(lf);
  EXPECT_EQ(file_read_string(lf.f, std::string(5000, 'k').c_str(), ""), value);
  ASSERT_EQ(file_select_group(lf.f, group.c_str()), 1);
  EXPECT_EQ(file_read_string(lf.f, key.c_str(), ""), "2");
}

INSTANTIATE_TEST_SUITE_P(Prefs, LookupTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& i) {
                           return i.param ? "Indexed" : "Walked";
                         });

}  // namespace
