// The demo's example and its verdict (see demo_example.h).
#include "demo_example.h"

#include <algorithm>

#include "support/wine_path.h"
#include "support/zip_writer.h"

namespace demo {
namespace {

const char* const kJarNames[] = {"a.jar", "b.jar", "c.jar"};

std::string small_jar(const std::string& class_text) {
  return test_support::zip_archive(
      {{"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n\r\n"}, {"demo/Main.class", class_text}});
}

const File* find(const std::vector<File>& files, const std::string& name) {
  for (const File& f : files) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

}  // namespace

std::string example_prefs(const std::string& game_folder) {
  std::string game = game_folder;
  if (game.empty() || game.back() != '\\') game += '\\';
  return "Version = 1.1\r\n[Minecraft]\r\n.minecraft = " + game + "\r\n";
}

std::vector<std::string> example_folders(bool versions) {
  if (versions) return {"jar", "game", "game\\versions", "game\\versions\\b1.7.3"};
  return {"jar", "game", "game\\bin"};
}

std::string initial_client_content() { return small_jar("the example's initial client jar"); }

std::string example_jar_content(const std::string& name) {
  // Each jar a different size as well, so that a listing tells them apart at a glance.
  return small_jar("example jar " + name + std::string(name[0] - 'a' + 1, '!'));
}

std::vector<File> example_files(const std::string& folder, bool versions) {
  std::vector<File> files = {
      {kMarkerName, "Example folder made by pelmora_demo; --fresh deletes it.\r\n"},
      {"pref.ini", example_prefs(folder + "game\\")},
  };
  if (versions) {
    const std::string base = std::string("game\\versions\\") + kBaseVersion + "\\" + kBaseVersion;
    files.push_back(
        {base + ".json",
         "{\n  \"downloads\": {\"client\": {\"size\": 1465375}},\n  \"id\": \"b1.7.3\",\n"
         "  \"mainClass\": \"net.minecraft.client.Minecraft\",\n"
         "  \"releaseTime\": \"2011-07-07T22:00:00+00:00\",\n  \"type\": \"old_beta\"\n}\n"});
    files.push_back({base + ".jar", initial_client_content()});
  } else {
    files.push_back({"game\\bin\\minecraft.jar", initial_client_content()});
  }
  for (const char* name : kJarNames)
    files.push_back({std::string("jar\\") + name, example_jar_content(name)});
  return files;
}

std::string windows_folder(const std::string& argument) {
  if (argument.empty()) return "";
  std::string path = argument[0] == '/' ? test_support::wine_path(argument) : argument;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.back() != '\\') path += '\\';
  return path;
}

std::string identify(const std::string& content, const std::vector<File>& jars) {
  for (const File& jar : jars) {
    if (jar.content == content) return jar.name;
  }
  if (content == initial_client_content()) return kInitialClient;
  return kUnknownJar;
}

int next_jar(const std::string& client, const std::vector<File>& jars) {
  const int count = static_cast<int>(jars.size());
  int current = -1;
  for (int i = 0; i < count && current < 0; ++i) {
    if (jars[i].content == client) current = i;
  }
  for (int step = 1; step <= count; ++step) {
    const int i = (current + step) % count;
    if (jars[i].content != client) return i;
  }
  return -1;
}

Verdict judge(const Snapshot& before, const Snapshot& after, const File& chosen) {
  Verdict v;
  if (!after.has_client) {
    v.reason = "bin\\minecraft.jar is missing after the run";
    return v;
  }
  if (after.client != chosen.content) {
    v.reason = "bin\\minecraft.jar does not hold " + chosen.name + " after the run";
    return v;
  }
  if (before.has_client && after.client == before.client) {
    v.reason = "bin\\minecraft.jar did not change";
    return v;
  }
  for (const File& old : before.backups) {
    const File* now = find(after.backups, old.name);
    if (!now) {
      v.reason = "the older backup " + old.name + " has gone";
      return v;
    }
    if (now->content != old.content) {
      v.reason = "the older backup " + old.name + " was changed";
      return v;
    }
  }
  std::vector<std::string> made;
  for (const File& b : after.backups) {
    if (find(before.backups, b.name)) continue;
    made.push_back(b.name);
    if (before.has_client && b.content == before.client && v.backup.empty()) v.backup = b.name;
  }
  if (made.empty()) {
    v.reason = "no new backup in bin\\backup\\";
  } else if (v.backup.empty()) {
    v.reason = "no new backup holds the old bin\\minecraft.jar (new: " + made.front() + ")";
  } else if (made.size() > 1) {
    v.reason = "more than one new file in bin\\backup\\ (" + std::to_string(made.size()) + ")";
    v.backup.clear();
  } else {
    v.swapped = true;
  }
  return v;
}

Options parse_arguments(const std::vector<std::string>& arguments) {
  Options o;
  std::string folder;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "--fresh") {
      o.fresh = true;
    } else if (a == "--prepare-only") {
      o.prepare_only = true;
    } else if (a == "--versions") {
      o.versions = true;
    } else if (a == "--shots") {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        o.error = "--shots needs a folder";
        return o;
      }
      o.shots = windows_folder(arguments[++i]);
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      o.error = "unknown option " + a;
      return o;
    } else if (!folder.empty()) {
      o.error = "more than one example folder: " + folder + " and " + a;
      return o;
    } else {
      folder = a;
    }
  }
  if (folder.empty()) o.error = "no example folder given";
  o.folder = windows_folder(folder);
  return o;
}

}  // namespace demo
