// The demo's example, its choice of the next jar and its verdict on a run.
#include "demo_example.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

using demo::File;
using demo::Snapshot;

const std::vector<File> kJars = {{"a.jar", "A"}, {"b.jar", "B"}, {"c.jar", "C"}};

TEST(DemoExample, FilesArePairwiseDifferentRealJarsAndPrefsNameTheGameFolder) {
  EXPECT_EQ(demo::example_prefs("C:\\g"), demo::example_prefs("C:\\g\\"));
  // The classic example and the one of the versions layout.
  for (const bool versions : {false, true}) {
    const std::vector<File> files = demo::example_files("Z:\\b\\demo\\", versions);
    std::set<std::string> jars;
    for (const File& f : files) {
      if (f.name == "pref.ini") {
        EXPECT_EQ(f.content,
                  "Version = 1.1\r\n[Minecraft]\r\n.minecraft = Z:\\b\\demo\\game\\\r\n");
      } else if (f.name.size() > 4 && f.name.substr(f.name.size() - 4) == ".jar") {
        EXPECT_EQ(f.content.substr(0, 4), std::string("PK\x03\x04", 4)) << f.name;
        jars.insert(f.content);
      }
    }
    // The client (or base version) and three jars, all different, or a run could not show a
    // change.
    EXPECT_EQ(jars.size(), 4u);
    // Every file's folder is made before the file.
    const std::vector<std::string> folders = demo::example_folders(versions);
    for (const File& f : files) {
      const size_t slash = f.name.find_last_of('\\');
      if (slash == std::string::npos) continue;
      EXPECT_NE(std::find(folders.begin(), folders.end(), f.name.substr(0, slash)), folders.end())
          << f.name;
    }
  }
}

TEST(DemoExample, IdentifiesTheClientByContent) {
  EXPECT_EQ(demo::identify("B", kJars), "b.jar");
  EXPECT_EQ(demo::identify(demo::initial_client_content(), kJars), demo::kInitialClient);
  EXPECT_EQ(demo::identify("other", kJars), demo::kUnknownJar);
  EXPECT_EQ(demo::identify("A", {{"x.jar", "A"}, {"y.jar", "A"}}), "x.jar");
}

TEST(DemoExample, NextJarRotatesAndAlwaysDiffersFromTheClient) {
  struct Case {
    std::string client;
    std::vector<File> jars;
    int expected;
  };
  const Case cases[] = {
      {"initial", kJars, 0},
      {"A", kJars, 1},
      {"B", kJars, 2},
      {"C", kJars, 0},                                             // wraps round
      {"A", {{"a.jar", "A"}, {"b.jar", "A"}, {"c.jar", "C"}}, 2},  // skips a copy of the client
      {"A", {{"a.jar", "A"}, {"b.jar", "A"}}, -1},                 // nothing would change
      {"A", {{"a.jar", "A"}}, -1},
      {"A", {{"b.jar", "B"}}, 0},
      {"A", {}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.client + " among " + std::to_string(c.jars.size()));
    EXPECT_EQ(demo::next_jar(c.client, c.jars), c.expected);
  }
}

TEST(DemoExample, SwapCountsOnlyWithTheChosenJarAndANewBackupOfTheOldOne) {
  const File chosen = {"b.jar", "B"};
  const Snapshot before = {true, "A", {{"old.jar", "O"}}};
  struct Case {
    const char* what;
    Snapshot after;
    bool swapped;
    std::string backup_or_reason;
  };
  const Case cases[] = {
      {"swapped", {true, "B", {{"new.jar", "A"}, {"old.jar", "O"}}}, true, "new.jar"},
      {"client gone",
       {false, "", {{"new.jar", "A"}, {"old.jar", "O"}}},
       false,
       "bin\\minecraft.jar is missing after the run"},
      {"other jar",
       {true, "C", {{"new.jar", "A"}, {"old.jar", "O"}}},
       false,
       "bin\\minecraft.jar does not hold b.jar after the run"},
      {"no backup", {true, "B", {{"old.jar", "O"}}}, false, "no new backup in bin\\backup\\"},
      {"backup of something else",
       {true, "B", {{"new.jar", "B"}, {"old.jar", "O"}}},
       false,
       "no new backup holds the old bin\\minecraft.jar (new: new.jar)"},
      {"older backup gone",
       {true, "B", {{"new.jar", "A"}}},
       false,
       "the older backup old.jar has gone"},
      {"older backup changed",
       {true, "B", {{"new.jar", "A"}, {"old.jar", "A"}}},
       false,
       "the older backup old.jar was changed"},
      {"two new files",
       {true, "B", {{"n1.jar", "A"}, {"n2.jar", "A"}, {"old.jar", "O"}}},
       false,
       "more than one new file in bin\\backup\\ (2)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const demo::Verdict v = demo::judge(before, c.after, chosen);
    EXPECT_EQ(v.swapped, c.swapped);
    EXPECT_EQ(c.swapped ? v.backup : v.reason, c.backup_or_reason);
    if (c.swapped) {
      EXPECT_EQ(v.reason, "");
    }
  }
  // The chosen jar already installed: nothing changed, even with a backup made.
  EXPECT_EQ(demo::judge({true, "B", {}}, {true, "B", {{"n.jar", "B"}}}, chosen).reason,
            "bin\\minecraft.jar did not change");
}

TEST(DemoExample, ArgumentsAndFolders) {
  const demo::Options full =
      demo::parse_arguments({"--fresh", "/work/build/demo", "--shots", "/work/build/demo-shots/"});
  EXPECT_EQ(full.error, "");
  EXPECT_TRUE(full.fresh);
  EXPECT_FALSE(full.prepare_only);
  EXPECT_EQ(full.folder, "Z:\\work\\build\\demo\\");
  EXPECT_EQ(full.shots, "Z:\\work\\build\\demo-shots\\");
  EXPECT_EQ(demo::parse_arguments({"C:\\d", "--prepare-only"}).folder, "C:\\d\\");
  EXPECT_TRUE(demo::parse_arguments({"C:\\d", "--prepare-only"}).prepare_only);
  EXPECT_FALSE(full.versions);
  EXPECT_TRUE(demo::parse_arguments({"--versions", "C:\\d"}).versions);

  const std::pair<std::vector<std::string>, std::string> bad[] = {
      {{}, "no example folder given"},
      {{""}, "no example folder given"},
      {{"--fast", "C:\\d"}, "unknown option --fast"},
      {{"C:\\d", "--shots"}, "--shots needs a folder"},
      {{"C:\\d", "C:\\e"}, "more than one example folder: C:\\d and C:\\e"},
  };
  for (const auto& [arguments, error] : bad) {
    EXPECT_EQ(demo::parse_arguments(arguments).error, error);
  }
}

}  // namespace
