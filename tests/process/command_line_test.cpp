#include "process/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, QuotesTheProgramOnce) {
  using process_text::command_line;
  EXPECT_EQ(command_line("C:\\Program Files\\x.exe", nullptr), "\"C:\\Program Files\\x.exe\"");
  EXPECT_EQ(command_line("x.exe", "-a b"), "\"x.exe\" -a b");
  EXPECT_EQ(command_line("\"C:\\a b\\x.exe\"", "-v"), "\"C:\\a b\\x.exe\" -v");
  EXPECT_EQ(command_line("\"C:\\x.exe\" -already", ""), "\"C:\\x.exe\" -already");
  EXPECT_EQ(command_line(nullptr, nullptr), "\"\"");
  EXPECT_EQ(command_line("http://example.invalid/", ""), "\"http://example.invalid/\"");
}

TEST(CommandLine, DocumentFolder) {
  using process_text::document_folder;
  EXPECT_EQ(document_folder("C:\\Docs\\readme.txt"), "C:\\Docs\\");
  EXPECT_EQ(document_folder("C:\\readme.txt"), "C:\\");
  EXPECT_EQ(document_folder("readme.txt"), "");
  EXPECT_EQ(document_folder("\\readme.txt"), "");  // the only "\" is the first character
  EXPECT_EQ(document_folder("http://example.invalid/a/b"), "");
  EXPECT_EQ(document_folder(nullptr), "");
}

}  // namespace
