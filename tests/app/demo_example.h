// The example the demo driver (pelmora_demo) swaps a jar in, and how it judges the outcome.
// Platform-free: the driver reads the files, this decides what they mean.
//
// The example folder holds:
//   .pelmora-demo            marks the folder as made by the demo (only such a folder is remade)
//   pref.ini                 names game\ as the game folder
//   game\bin\minecraft.jar   the initial client jar
//   jar\a.jar, b.jar, c.jar  three small real jars to choose from
// The example of the versions layout (--versions) holds game\versions\b1.7.3\ with its json and
// jar instead of game\bin\.
#pragma once

#include <string>
#include <vector>

namespace demo {

constexpr char kMarkerName[] = ".pelmora-demo";
constexpr char kInitialClient[] = "the initial client jar";
constexpr char kUnknownJar[] = "an unknown jar";
constexpr char kBaseVersion[] = "b1.7.3";

// A file by name (relative to a folder, with "\" separators) and its content.
struct File {
  std::string name;
  std::string content;
};

// "pref.ini" as the program itself writes it for `game_folder` (a trailing "\" is added).
std::string example_prefs(const std::string& game_folder);
// Every file of the example below `folder` (a Windows path ending in "\"), parents first.
std::vector<File> example_files(const std::string& folder, bool versions = false);
// The folders the example needs, relative to its folder, parents first.
std::vector<std::string> example_folders(bool versions = false);
// The content of the initial client jar and of the example jar called `name`.
std::string initial_client_content();
std::string example_jar_content(const std::string& name);

// A folder given on the command line as a Windows path ending in "\": a Unix path ("/a/b") is
// taken as Wine's drive Z: ("Z:\a\b\"). "" stays "".
std::string windows_folder(const std::string& argument);

// What a client jar is, by content: the name of the first jar holding the same bytes, the
// initial client jar, or an unknown jar.
std::string identify(const std::string& content, const std::vector<File>& jars);

// The jar to install next (an index into `jars`, which are in listing order): the first after
// the one the client jar matches, wrapping round, whose content differs from the client's, so
// that every run on the kept example shows a change. -1 when every jar equals the client.
int next_jar(const std::string& client, const std::vector<File>& jars);

// The game folder's state around the run.
struct Snapshot {
  bool has_client = false;
  std::string client;         // bin\minecraft.jar
  std::vector<File> backups;  // bin\backup\*
};

struct Verdict {
  bool swapped = false;
  std::string backup;  // name of the backup that holds the old client jar
  std::string reason;  // why the swap does not count ("" when it does)
};

// The swap happened when the client jar now holds the chosen jar's bytes and differs from
// before, a backup that was not there before holds the old client jar, and every older backup
// is still there unchanged.
Verdict judge(const Snapshot& before, const Snapshot& after, const File& chosen);

struct Options {
  std::string folder;  // the example folder, Windows form ending in "\"
  std::string shots;   // where the screenshots go ("" = beside the driver)
  bool fresh = false;  // remake the example first
  bool prepare_only = false;
  bool versions = false;  // the example of the versions layout
  std::string error;      // a usage error ("" when the arguments are fine)
};

// pelmora_demo [--fresh] [--prepare-only] [--versions] [--shots <folder>] <example folder>
Options parse_arguments(const std::vector<std::string>& arguments);

}  // namespace demo
