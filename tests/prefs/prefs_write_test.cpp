// Writing: placement of new keys and groups, in-place reuse, letter case, and the file text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "prefs/prefs_file.h"
#include "prefs_test_util.h"

namespace {

using Lines = std::vector<std::string>;

TEST(PrefsWrite, FirstRunSequenceGivesThreeLines) {
  LoadedFile lf("");
  file_write_string(lf.f, "Version", "1.1");
  EXPECT_EQ(file_select_group(lf.f, "Minecraft"), 0);
  file_write_string(lf.f, ".minecraft", "C:\\Users\\x\\AppData\\Roaming\\.minecraft\\");
  EXPECT_EQ(lf.f.modified, 1u);
  EXPECT_EQ(lf.text(),
            "Version = 1.1\r\n[Minecraft]\r\n.minecraft = "
            "C:\\Users\\x\\AppData\\Roaming\\.minecraft\\\r\n");
}

TEST(PrefsWrite, NoWriteNoChange) {
  LoadedFile lf("k=v\n");
  EXPECT_EQ(file_select_group(lf.f, "missing"), 0);
  EXPECT_EQ(lf.f.modified, 0u);
  EXPECT_EQ(dump(lf.f), Lines{"k=v"});
}

TEST(PrefsWrite, PendingGroupIsAppendedAtTheEnd) {
  LoadedFile lf("[a]\nx=1\n[b]\ny=2\n");
  file_select_group(lf.f, "new");
  file_write_string(lf.f, "k", "v");
  file_write_string(lf.f, "k2", "w");
  EXPECT_EQ(dump(lf.f), (Lines{"[a]", "x=1", "[b]", "y=2", "[new]", "k=v", "k2=w"}));
  EXPECT_EQ(lf.f.pending_group, nullptr);
  EXPECT_EQ(file_select_group(lf.f, "NEW"), 1);
  EXPECT_EQ(file_read_string(lf.f, "k2", ""), "w");
  EXPECT_TRUE(links_consistent(lf.f));
}

TEST(PrefsWrite, TopRegionKeysGoBeforeTheFirstGroup) {
  LoadedFile starts_with_group("[a]\nx=1\n");
  file_write_string(starts_with_group.f, "t", "1");
  EXPECT_EQ(dump(starts_with_group.f), (Lines{"t=1", "[a]", "x=1"}));

  LoadedFile with_top("top=0\n;note\n\n[a]\nx=1\n");
  file_write_string(with_top.f, "t", "1");
  EXPECT_EQ(dump(with_top.f), (Lines{"top=0", ";note", "t=1", "[a]", "x=1"}));

  LoadedFile only_top("top=0");
  file_write_string(only_top.f, "t", "1");
  EXPECT_EQ(dump(only_top.f), (Lines{"top=0", "t=1"}));
  EXPECT_TRUE(links_consistent(only_top.f));
}

TEST(PrefsWrite, NamedGroupKeysGoAfterTheGroupsLastEntry) {
  LoadedFile lf("[a]\nx=1\n;end of a\n[b]\ny=2\n");
  file_select_group(lf.f, "a");
  file_write_string(lf.f, "n", "1");
  file_select_group(lf.f, "b");
  file_write_string(lf.f, "m", "2");
  EXPECT_EQ(dump(lf.f), (Lines{"[a]", "x=1", ";end of a", "n=1", "[b]", "y=2", "m=2"}));
  EXPECT_TRUE(links_consistent(lf.f));
}

TEST(PrefsWrite, RewriteKeepsPositionAndReusesShorterStorage) {
  LoadedFile lf("a=12345\nb=2\n");
  const char* old_a = file_find_value(lf.f, "a");
  file_write_string(lf.f, "a", "54321");
  EXPECT_EQ(file_find_value(lf.f, "a"), old_a);  // equal length: in place, inside the buffer
  file_write_string(lf.f, "a", "xyz");
  EXPECT_EQ(file_find_value(lf.f, "a"), old_a);
  file_write_string(lf.f, "a", "longer value");
  EXPECT_NE(file_find_value(lf.f, "a"), old_a);
  EXPECT_FALSE(text_in_buffer(lf.f, file_find_value(lf.f, "a")));
  file_write_string(lf.f, "a", "even longer value than that");  // heap storage replaced
  EXPECT_EQ(dump(lf.f), (Lines{"a=even longer value than that", "b=2"}));
  EXPECT_EQ(file_read_string(lf.f, "a", ""), "even longer value than that");
}

TEST(PrefsWrite, KeyTakesLetterCaseOfLatestWrite) {
  LoadedFile lf("[g]\nmyKey=1\n");
  file_select_group(lf.f, "g");
  file_write_string(lf.f, "MYKEY", "2");
  EXPECT_EQ(dump(lf.f), (Lines{"[g]", "MYKEY=2"}));
}

TEST(PrefsWrite, ValuesAreStoredUnchanged) {
  LoadedFile lf("");
  file_write_string(lf.f, "k", "  a ; b = c  ");
  file_write_string(lf.f, "empty", nullptr);
  EXPECT_STREQ(file_find_value(lf.f, "k"), "  a ; b = c  ");
  EXPECT_EQ(file_read_string(lf.f, "k", ""), "a ; b = c");
  EXPECT_EQ(lf.text(), "k =   a ; b = c  \r\nempty = \r\n");
}

TEST(PrefsWrite, ReserveGivesRoomForTheTerminator) {
  LoadedFile lf("k=ab\n");
  char* in_place = file_reserve_value(lf.f, "k", 2);
  ASSERT_NE(in_place, nullptr);
  std::memcpy(in_place, "xy", 3);
  char* grown = file_reserve_value(lf.f, "k", 100);
  ASSERT_NE(grown, nullptr);
  std::memset(grown, 'z', 100);
  grown[100] = 0;
  EXPECT_EQ(file_read_string(lf.f, "k", ""), std::string(100, 'z'));
}

TEST(PrefsWrite, Utf8FileGetsUtf8ValuesAndTheMarkLine) {
  LoadedFile lf("\xEF\xBB\xBF[g]\nk=old\n");
  file_select_group(lf.f, "g");
  file_write_string(lf.f, "k", "\xE4");
  file_write_string(lf.f, "\xFC", "x\xDF");
  EXPECT_EQ(file_read_string(lf.f, "k", ""), "\xE4");
  EXPECT_EQ(file_read_string(lf.f, "\xFC", ""), "x\xDF");
  EXPECT_EQ(lf.text(), "\xEF\xBB\xBF\r\n[g]\r\nk = \xC3\xA4\r\n\xC3\xBC = x\xC3\x9F\r\n");
}

TEST(PrefsWrite, TextNormalisesTheLines) {
  LoadedFile lf("  ;c\n;\n[g] tail\n[open\n  key\n\n a \t=\t b \n");
  file_write_string(lf.f, "x", "1");  // any write marks the file changed
  EXPECT_EQ(lf.text(), "; c\r\n; \r\nx = 1\r\n[g]\r\n[open]\r\nkey = \r\na = b \r\n");
}

TEST(PrefsWrite, EmptyListGivesEmptyText) {
  LoadedFile ansi("");
  EXPECT_EQ(ansi.text(), "");
  LoadedFile utf8("\xEF\xBB\xBF");
  EXPECT_EQ(utf8.text(), "\xEF\xBB\xBF\r\n");
}

TEST(PrefsWrite, AnsiTextNeverStartsWithTheMarkBytes) {
  // Such a file would be read back as UTF-8 and lose its first three bytes.
  LoadedFile lf(" \xEF\xBB\xBFk=v");
  ASSERT_EQ(lf.f.encoding, kEncodingAnsi);
  std::string text = lf.text();
  EXPECT_EQ(text, "\r\n\xEF\xBB\xBFk = v\r\n");
  LoadedFile again(text);
  EXPECT_EQ(dump(again.f), dump(lf.f));
}

TEST(PrefsWrite, SelectingAgainBeforeWritingReplacesThePendingGroup) {
  LoadedFile lf("");
  file_select_group(lf.f, "first");
  file_select_group(lf.f, "second");
  file_write_string(lf.f, "k", "v");
  EXPECT_EQ(dump(lf.f), (Lines{"[second]", "k=v"}));
}

// Round trip: reading back the written text gives the same groups, keys and values.
TEST(PrefsWrite, RoundTripKeepsEveryEntry) {
  const char* inputs[] = {
      "a=1\r\n[g]\r\nb = 2 \r\n;c\r\n",
      "\xEF\xBB\xBF;x\n[\xC3\xA4]\nk\n",
      "[ spaced ]x\r\r\n=v\n;  two\n[open",
      "\x01\x02=\x7F\xFF\n[\x80\x81\n",
  };
  for (const char* input : inputs) {
    LoadedFile first(input);
    LoadedFile second(first.text());
    EXPECT_EQ(dump(second.f), dump(first.f)) << input;
    EXPECT_EQ(second.f.encoding, first.f.encoding);
  }
}

}  // namespace
