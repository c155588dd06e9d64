// The launcher's JSON files: the grammar check, the version json copy and the launcher profile,
// on fixtures of the launcher's own shapes; the Windows-1252 conversion; the version order; the
// ids, profile and texts of an install as a version.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/version_json.h"
#include "app/versions.h"

namespace {

std::string with_crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

// A version json as the launcher keeps it, cut around its top-level "downloads" member.
const std::string kVersionHead = R"({
  "arguments": {
    "game": ["--username", "${auth_player_name}", {"rules": [{"action": "allow",
      "features": {"is_demo_user": true}}], "value": "--demo"}],
    "jvm": ["-Djava.library.path=${natives_directory}", "-Xss1M"]
  },
  "assetIndex": {"id": "5", "sha1": "3a1f", "size": 412, "totalSize": 6.26e8,
    "url": "https:\/\/example.invalid\/5.json"},
  "complianceLevel": 1,
  )";
const std::string kVersionDownloads = R"("downloads": {
    "client": {"sha1": "0f1e", "size": 23, "url": "https://example.invalid/client.jar"},
    "server": {"sha1": "9a8b", "size": 45, "url": "https://example.invalid/server.jar"}
  },
  )";
const std::string kVersionTail = R"("id": "1.20",
  "javaVersion": {"component": "java-runtime-gamma", "majorVersion": 17},
  "libraries": [
    {"downloads": {"artifact": {"path": "a/b.jar", "size": -0.5E-3}}, "name": "a:b:1",
     "rules": [{"action": "allow", "os": {"name": "osx"}}]},
    {"downloads": {"classifiers": {"natives-windows": {"path": "l.jar"}}}, "name": "l:p:2.9",
     "natives": {"windows": "natives-windows-${arch}"}, "extract": {"exclude": ["META-INF/"]}}
  ],
  "logging": {"client": {"argument": "-Dlog4j.configurationFile=${path}",
    "file": {"id": "client-1.12.xml"}, "type": "log4j2-xml"}},
  "mainClass": "a.b.Main",
  "minimumLauncherVersion": 21,
  "releaseTime": "2023-06-02T08:36:17+00:00",
  "type": "release"
}
)";
const std::string kVersion = kVersionHead + kVersionDownloads + kVersionTail;
std::string version_with_id(const std::string& id) {
  std::string tail = kVersionTail;
  return kVersionHead + tail.replace(tail.find("\"1.20\""), 6, id);
}

// An old version: "minecraftArguments", "downloads" last, escapes in the id.
const std::string kOldVersion =
    "\xEF\xBB\xBF{\"id\": \"b1.7\\u002e3\", \"minecraftArguments\": \"${auth_player_name}\",\n"
    " \"releaseTime\": \"2011-07-07T22:00:00+00:00\",\n"
    " \"downloads\": {\"client\": {\"size\": 1}, \"server\": {\"size\": 2}}\n}";

TEST(VersionJson, GrammarIsCheckedBeyondTheTokenizer) {
  const std::string deep_ok = std::string(200, '[') + std::string(200, ']');
  const std::string too_deep = std::string(300, '[') + std::string(300, ']');
  const struct {
    std::string text;
    bool ok;
  } rows[] = {{kVersion, true},
              {with_crlf(kVersion), true},
              {kOldVersion, true},
              {"1", true},
              {" \"\\u00e4\\/\\ud83d\\ude00\" ", true},
              {"[-0, 1.5e+3, 0.25E-2, true, null, {}]", true},
              {deep_ok, true},
              {"{\"M\xC3\xBCll\": \"\xE2\x82\xAC\"}", true},
              {"", false},
              {"\xEF\xBB\xBF", false},
              {"{} {}", false},
              {"{\"a\":1,}", false},
              {"[1 2]", false},
              {"{\"a\" \"b\"}", false},
              {"{\"a\":1 \"b\":2}", false},
              {"{1:2}", false},
              {"[,1]", false},
              {"[1,,2]", false},
              {"\"a\":1", false},
              {"01", false},
              {"1.", false},
              {".5", false},
              {"-", false},
              {"1e", false},
              {"+1", false},
              {"tru", false},
              {"nul", false},
              {"[truex]", false},
              {"\"\\x\"", false},
              {"\"\\u12\"", false},
              {"\"a\tb\"", false},
              {"\"\xC3(\"", false},
              {"\"\xC0\xAF\"", false},
              {"\"\xE0\x80\xAF\"", false},
              {"\"\xED\xA0\x80\"", false},
              {"\"\xF4\x90\x80\x80\"", false},
              {std::string("{}\0", 3), false},
              {"[", false},
              {"]", false},
              {"[}", false},
              {"{\"a\":[}", false},
              {too_deep, false},
              {"{\"a\":{\"b\":1}:2}", false},
              {"[\"a\":1]", false},
              {"'a'", false}};
  for (const auto& row : rows) EXPECT_EQ(json_well_formed(row.text), row.ok) << row.text;
}

TEST(VersionJson, VersionsAreRead) {
  const struct {
    std::string text;
    bool object, has_id, inherits;
    std::string id, release_time;
  } rows[] = {{kVersion, true, true, false, "1.20", "2023-06-02T08:36:17+00:00"},
              {kOldVersion, true, true, false, "b1.7.3", "2011-07-07T22:00:00+00:00"},
              {"{\"id\":\"M\\u00fcll\\/x\",\"inheritsFrom\":\"1.20\"}", true, true, true,
               "M\xC3\xBCll/x", ""},
              {"{\"id\":\"a\",\"id\":\"b\",\"releaseTime\":5}", true, false, false, "", ""},
              {"{\"id\":7}", true, false, false, "", ""},
              {"[{\"id\":\"a\"}]", false, false, false, "", ""},
              {"{\"id\":\"a\"", false, false, false, "", ""}};
  EXPECT_TRUE(is_base_version_json(read_version_json(kOldVersion), "b1.7.3"));
  EXPECT_FALSE(is_base_version_json(read_version_json(kOldVersion), "b1.7.3-x"));
  EXPECT_TRUE(is_base_version_json(read_version_json("{\"id\":\"M\\u00fcll\"}"), "M\xFCll"));
  EXPECT_FALSE(is_base_version_json(read_version_json(rows[2].text), "M\xFCll/x"));  // inherits
  for (const auto& row : rows) {
    const VersionJsonInfo info = read_version_json(row.text);
    EXPECT_EQ(info.object, row.object) << row.text;
    EXPECT_EQ(info.has_id, row.has_id) << row.text;
    EXPECT_EQ(info.inherits, row.inherits) << row.text;
    EXPECT_EQ(info.id, row.id) << row.text;
    EXPECT_EQ(info.release_time, row.release_time) << row.text;
  }
}

TEST(VersionJson, CopyReplacesTheIdAndDropsOnlyTheTopLevelDownloads) {
  const std::string big_libraries(std::string(60000, ' ') + "{\"downloads\": {}},");
  std::string big = kVersion;
  for (int i = 0; i < 20; ++i) big.insert(big.find("\"libraries\": [") + 14, big_libraries);
  std::string big_expected = version_with_id("\"mod\"");
  for (int i = 0; i < 20; ++i) {
    big_expected.insert(big_expected.find("\"libraries\": [") + 14, big_libraries);
  }
  const struct {
    std::string base, id, expected;
  } rows[] = {
      {kVersion, "M\xC3\xBCll", version_with_id("\"M\xC3\xBCll\"")},
      {with_crlf(kVersion), "a\"b\\c\td\x01",
       with_crlf(version_with_id("\"a\\\"b\\\\c\\td\\u0001\""))},
      {big, "mod", big_expected},
      {kOldVersion, "b1.7.3-pelmora",
       "\xEF\xBB\xBF{\"id\": \"b1.7.3-pelmora\", \"minecraftArguments\": \"${auth_player_name}\",\n"
       " \"releaseTime\": \"2011-07-07T22:00:00+00:00\"\n}"},
      {"{\"downloads\":{}, \"id\":\"x\" , \"downloads\":[1] ,\"a\":1}", "y",
       "{\"id\":\"y\" , \"a\":1}"},
      {"{ \"id\" : \"x\", \"downloads\" : 1, \"down\\u006coads\" : 2 }", "y", "{ \"id\" : \"y\" }"},
      {"{\"id\":\"x\"}", "y", "{\"id\":\"y\"}"},
      {"{\"id\":\"x\",\"id\":\"x\"}", "y", ""},
      {"{\"id\":1}", "y", ""},
      {"{\"id\":\"x\",}", "y", ""}};
  for (const auto& row : rows) {
    std::string out = "untouched";
    EXPECT_EQ(make_version_json(row.base, row.id, &out), !row.expected.empty()) << row.base;
    EXPECT_EQ(out, row.expected.empty() ? "untouched" : row.expected) << row.base;
  }
  EXPECT_GT(big.size(), 1u << 20);
}

// A launcher_profiles.json as the launcher writes it, cut at the end of its last profile.
const std::string kProfilesHead = R"({
  "profiles" : {
    "2f5e" : {
      "created" : "2023-01-01T10:00:00.000Z",
      "icon" : "Grass",
      "lastUsed" : "2023-01-02T10:00:00.000Z",
      "lastVersionId" : "latest-release",
      "name" : "Gr)"
                                  "\xC3\xBC\xC3\x9F"
                                  R"(e \u00e4",
      "type" : "latest-release"
    })";
const std::string kProfilesTail = R"(
  },
  "settings" : {
    "crashAssistance" : true,
    "enableSnapshots" : false
  },
  "version" : 3
}
)";
const LauncherProfile kProfile = {"pelmora-M\xC3\xBCll", "M\xC3\xBCll (Pelmora)", "M\xC3\xBCll",
                                  "2026-12-07T18:05:09.000Z"};
const std::string kProfileMember = R"(
    "pelmora-M)"
                                   "\xC3\xBC"
                                   R"(ll" : {
      "name" : "M)"
                                   "\xC3\xBC"
                                   R"j(ll (Pelmora)",
      "type" : "custom",
      "lastVersionId" : "M)j"
                                   "\xC3\xBC"
                                   R"(ll",
      "created" : "2026-12-07T18:05:09.000Z",
      "lastUsed" : "2026-12-07T18:05:09.000Z",
      "icon" : "Grass"
    })";
const std::string kProfileCompact =
    "{\"name\":\"M\xC3\xBCll (Pelmora)\",\"type\":\"custom\",\"lastVersionId\":\"M\xC3\xBCll\","
    "\"created\":\"2026-12-07T18:05:09.000Z\",\"lastUsed\":\"2026-12-07T18:05:09.000Z\","
    "\"icon\":\"Grass\"}";

TEST(VersionJson, ProfileIsAddedOrReplacedInTheFilesLayout) {
  const std::string once = kProfilesHead + "," + kProfileMember + kProfilesTail;
  std::string stale = once;
  stale.replace(stale.find("\"custom\""), 8, "\"old\"");
  const struct {
    std::string file, expected;
  } rows[] = {{kProfilesHead + kProfilesTail, once},
              {with_crlf(kProfilesHead + kProfilesTail), with_crlf(once)},
              {stale, once},
              {"\xEF\xBB\xBF{\"version\":3,\"profiles\":{ },\"x\":[]}",
               "\xEF\xBB\xBF{\"version\":3,\"profiles\":{\"pelmora-M\xC3\xBCll\":" +
                   kProfileCompact + " },\"x\":[]}"},
              {"{\"profiles\":{\"a\":1}}",
               "{\"profiles\":{\"a\":1,\"pelmora-M\xC3\xBCll\":" + kProfileCompact + "}}"},
              {"{\"profiles\":{\"pelmora-M\\u00fcll\":[]}}",
               "{\"profiles\":{\"pelmora-M\\u00fcll\":" + kProfileCompact + "}}"},
              {"{\"profiles\":[]}", ""},
              {"{\"settings\":{}}", ""},
              {"{\"profiles\":{},\"profiles\":{}}", ""},
              {kProfilesHead, ""}};
  for (const auto& row : rows) {
    std::string out = "untouched";
    EXPECT_EQ(add_launcher_profile(row.file, kProfile, &out), !row.expected.empty()) << row.file;
    EXPECT_EQ(out, row.expected.empty() ? "untouched" : row.expected) << row.file;
  }
}

TEST(VersionJson, Windows1252MapsBothWays) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(cp1252_from_utf8(utf8_from_cp1252(all)), all);
  EXPECT_EQ(utf8_from_cp1252("M\xFCll \x80\x9F\x81"), "M\xC3\xBCll \xE2\x82\xAC\xC5\xB8\xC2\x81");
  // Characters without a Windows-1252 byte and broken UTF-8 become '?'.
  EXPECT_EQ(cp1252_from_utf8("\xC4\x81 \xF0\x9F\x98\x80 \xC3( \xE2\x80\x93 \xC2\x9F"),
            "? ? ?( \x96 ?");
}

TEST(VersionJson, BaseVersionsAreOrderedNewestFirstThenByName) {
  std::vector<BaseVersion> list = {{"zz", ""},
                                   {"b1.7.3", "2011-07-07T22:00:00+00:00"},
                                   {"late-offset", "2011-07-08T01:00:00+02:00"},
                                   {"1.20", "2023-06-02T08:36:17Z"},
                                   {"frac", "2023-06-02T08:36:17.5Z"},
                                   {"bad-day", "2023-02-29T00:00:00Z"},
                                   {"aa", "yesterday"},
                                   {"1.8", "2014-09-02T08:24:35-0000"}};
  sort_base_versions(&list);
  std::vector<std::string> ids;
  for (const BaseVersion& v : list) ids.push_back(v.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"frac", "1.20", "1.8", "late-offset", "b1.7.3", "aa",
                                           "bad-day", "zz"}));
}

TEST(VersionJson, InstallNamesAndTexts) {
  EXPECT_EQ(jar_stem("M\xFCll.JaR"), "M\xFCll");
  EXPECT_EQ(jar_stem("mod.zip"), "mod.zip");
  EXPECT_EQ(jar_stem(".jar"), "");
  EXPECT_EQ(version_id_candidate("mod", 0), "mod");
  EXPECT_EQ(version_id_candidate("mod", 1), "mod-pelmora");
  EXPECT_EQ(version_id_candidate("mod", 3), "mod-pelmora-3");
  EXPECT_EQ(iso_utc_text(2026, 12, 7, 18, 5, 9, 0), "2026-12-07T18:05:09.000Z");
  const LauncherProfile p = pelmora_profile("M\xFCll", "t");
  EXPECT_EQ(p.key + "|" + p.name + "|" + p.version_id + "|" + p.time,
            "pelmora-M\xC3\xBCll|M\xC3\xBCll (Pelmora)|M\xC3\xBCll|t");
  EXPECT_EQ(version_installed_text("M\xFCll", true),
            "Die Jar wurde als Version \"M\xFCll\" installiert!\n\nIm Minecraft Launcher steht sie "
            "unter Installationen als \"M\xFCll (Pelmora)\".");
  EXPECT_EQ(version_installed_text("b1", false),
            "Die Jar wurde als Version \"b1\" installiert!\n\nLegen sie im Minecraft Launcher eine "
            "Installation mit der Version \"b1\" an.");
  EXPECT_EQ(version_exists_question("b1"), "Die Version b1 gibt es schon.\nErsetzen?");
  BackupName b;
  ASSERT_TRUE(parse_backup_name("24_12_2012_18_05_09_2.jar", &b));
  EXPECT_EQ(version_backup_shown_text("b1", b), "b1: 24.12.2012 18:05:09 (2)");
}

}  // namespace
