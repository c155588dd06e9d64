// pelmora_demo: shows a jar swap on the real pelmora.exe. Prepares the example folder (see
// demo_example.h) when it is missing or asked to make it fresh, starts the program there and,
// with real clicks, ticks "Backup Minecraft Jar", picks a jar, confirms it, activates it and
// answers both messages, saving a screenshot of each step. Then it says what changed on disk.
// With --versions it does the same in the versions layout: the jar is installed as a version of
// its own from window 2. Exit code 0 only when the swap really happened; every wait has a time
// limit.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "demo_example.h"
#include "support/e2e_driver.h"

namespace {

// Gadget numbers of the main window.
constexpr int kActivate = 2, kList = 3, kConfirm = 5, kBackup = 6;
constexpr int kVersionWindow = 2, kInstall = 32;

constexpr char kBackupDone[] = "Es wurde erfolgreich ein Backup erstellt!";
constexpr char kInstalled[] = "minecraft.jar wurde erfolgreich installiert!";

// Paths and the program's texts are in the ANSI code page; the terminal reading this is UTF-8.
std::string utf8(const std::string& ansi) {
  if (ansi.empty()) return ansi;
  const int n =
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], n);
  const int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &out[0], m, nullptr, nullptr);
  return out;
}

void say(const std::string& line) {
  std::printf("[demo] %s\n", utf8(line).c_str());
  std::fflush(stdout);
}

// A path as the user on the Unix side sees it (the Windows form outside Wine).
std::string shown(const std::string& path) {
  const std::string unix = e2e::unix_path(path);
  return unix.empty() ? path : unix;
}

bool is_folder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool make_folder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::vector<demo::File> read_files(const std::string& folder, const std::string& pattern) {
  std::vector<demo::File> files;
  std::vector<std::string> names = e2e::list_folder(folder, pattern);
  std::sort(names.begin(), names.end());  // the program lists them in this order under Wine
  for (const std::string& name : names) {
    if (!is_folder(folder + name)) files.push_back({name, e2e::read_file(folder + name)});
  }
  return files;
}

demo::Snapshot snapshot(const std::string& game) {
  demo::Snapshot s;
  const std::string client = game + "bin\\minecraft.jar";
  s.has_client = e2e::exists(client);
  if (s.has_client) s.client = e2e::read_file(client);
  s.backups = read_files(game + "bin\\backup\\", "*");
  return s;
}

// Makes the example's missing folders and files; a file already there is never written over.
// With `fresh`, first removes a folder the demo made before (and nothing else).
bool prepare(const std::string& folder, bool fresh, bool versions, std::string* why) {
  if (fresh && is_folder(folder)) {
    const bool ours = e2e::exists(folder + demo::kMarkerName);
    if (!ours && !e2e::list_folder(folder, "*").empty()) {
      *why = shown(folder) + " holds files and was not made by the demo: not removed";
      return false;
    }
    say("making the example fresh: removing " + shown(folder));
    e2e::remove_tree(folder);
    if (is_folder(folder)) {
      *why = "could not remove " + shown(folder);
      return false;
    }
  }
  std::string parent = folder.substr(0, folder.size() - 1);
  parent = parent.substr(0, parent.find_last_of('\\') + 1);
  if (!parent.empty() && !is_folder(parent)) make_folder(parent);
  if (!make_folder(folder)) {
    *why = "could not make " + shown(folder);
    return false;
  }
  for (const std::string& sub : demo::example_folders(versions)) {
    if (!make_folder(folder + sub)) {
      *why = "could not make " + shown(folder + sub);
      return false;
    }
  }
  int made = 0;
  for (const demo::File& file : demo::example_files(folder, versions)) {
    if (e2e::exists(folder + file.name)) continue;
    if (!e2e::write_file(folder + file.name, file.content)) {
      *why = "could not write " + shown(folder + file.name);
      return false;
    }
    ++made;
  }
  say(made == 0 ? "example kept from an earlier run: " + shown(folder)
                : "example prepared (" + std::to_string(made) + " files made): " + shown(folder));
  // A kept "pref.ini" must still name this example's game folder, or the swap happens elsewhere;
  // the install as a version adds its group "Versionen" after it.
  const std::string prefs = e2e::read_file(folder + "pref.ini");
  if (prefs.rfind(demo::example_prefs(folder + "game\\"), 0) != 0) {
    *why = shown(folder + "pref.ini") +
           " does not name this example's game folder; make the example fresh (--fresh)";
    return false;
  }
  return true;
}

class Shots {
 public:
  explicit Shots(std::string folder) : folder_(std::move(folder)) {
    if (!folder_.empty()) make_folder(folder_);
  }

  // Saves the area that the given windows and every other visible top-level window of their
  // program cover together (a message box may reach beyond the main window), and says where.
  void take(const std::string& name, const std::string& what, std::initializer_list<HWND> windows) {
    Area area;
    for (HWND w : windows) {
      if (!w) continue;
      area.add(w);
      GetWindowThreadProcessId(w, &area.process);
    }
    if (area.process != 0) EnumWindows(add_if_shown, reinterpret_cast<LPARAM>(&area));
    const bool any = area.any;
    std::string path = any ? e2e::save_screenshot(area.rect, "demo-" + name) : "";
    if (!path.empty() && !folder_.empty()) {
      const std::string target = folder_ + name + path.substr(path.find_last_of('.'));
      if (MoveFileExA(path.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        path = target;
      }
    }
    say(path.empty() ? "screenshot " + what + ": could not be taken"
                     : "screenshot " + what + ": " + shown(path));
  }

 private:
  struct Area {
    RECT rect{};
    bool any = false;
    DWORD process = 0;
    void add(HWND w) {
      RECT r;
      if (!GetWindowRect(w, &r)) return;
      if (any) {
        UnionRect(&rect, &rect, &r);
      } else {
        rect = r;
        any = true;
      }
    }
  };

  static BOOL CALLBACK add_if_shown(HWND w, LPARAM context) {
    auto* area = reinterpret_cast<Area*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (process == area->process && IsWindowVisible(w)) area->add(w);
    return TRUE;
  }

  std::string folder_;
};

// Waits for the next message box, takes its screenshot and answers it. False, with the reason,
// when it is not the expected one.
bool expect_box(e2e::Pelmora& p, HWND main, Shots& shots, const char* shot, const char* what,
                const std::string& text, std::string* why) {
  e2e::Box box;
  if (!p.wait_box(&box)) {
    *why = std::string("no message appeared; expected \"") + text + "\"";
    return false;
  }
  shots.take(shot, what, {main, box.window});
  const bool expected = box.title == "Info" && box.text == text;
  if (!p.answer(box)) {
    *why = "the message \"" + box.text + "\" could not be answered";
    return false;
  }
  if (!expected) {
    *why = "the program said \"" + box.title + ": " + box.text + "\"";
    return false;
  }
  return true;
}

// The versions layout after "Aktivieren": window 2 with its only base chosen, "Installieren", the
// question when the version is there from an earlier run, and the message.
bool install_as_version(e2e::Pelmora& p, HWND main, const std::string& jar, Shots& shots,
                        std::string* why) {
  const HWND chooser = p.restore_window(15000, kVersionWindow);
  if (!chooser || !e2e::wait_for([&] { return p.enabled(kInstall); }, 5000)) {
    *why = "window 2 did not open with a version chosen";
    return false;
  }
  shots.take("3-version-window", "of window 2", {main, chooser});
  if (!p.click_gadget(kInstall)) {
    *why = "could not click \"Installieren\"";
    return false;
  }
  const std::string id = jar.substr(0, jar.size() - 4);
  const std::string text = "Die Jar wurde als Version \"" + id +
                           "\" installiert!\n\nLegen sie im Minecraft Launcher eine Installation "
                           "mit der Version \"" +
                           id + "\" an.";
  e2e::Box box;
  if (p.wait_box(&box) && box.title == "Frage") {
    say("the version " + id + " is there from an earlier run: replacing it");
    if (!p.answer_with(box, IDYES) || !p.wait_box(&box)) box = e2e::Box();
  }
  if (!box.window) {
    *why = "no message appeared; expected \"" + text + "\"";
    return false;
  }
  shots.take("4-install-message", "of the install message", {main, box.window});
  const bool expected = box.title == "Info" && box.text == text;
  if (!p.answer(box) || !expected) {
    *why = "the program said \"" + box.title + ": " + box.text + "\"";
    return false;
  }
  return true;
}

// Drives the program through the swap of `jar` (its index in the list) with a backup, or in the
// versions layout through its install as a version.
bool drive(const std::string& folder, int index, const std::string& jar, int jars, bool versions,
           Shots& shots, std::string* why) {
  e2e::Pelmora p(folder);
  if (!p.started()) {
    *why = "pelmora.exe did not start: " + e2e::pelmora_exe();
    return false;
  }
  say("started " + shown(e2e::pelmora_exe()) + " in the example folder");
  const HWND main = p.main_window();
  if (!main) {
    e2e::Box box;
    *why = p.wait_box(&box, 1000) ? "the program said \"" + box.title + ": " + box.text + "\""
                                  : "the main window did not appear";
    return false;
  }
  if (!p.wait_list_filled(jars) || p.list_item(index) != jar) {
    *why = "the list does not show " + jar + " as item " + std::to_string(index + 1);
    return false;
  }
  shots.take("1-main-window", "of the main window", {main});

  if (!versions && (!p.click_gadget(kBackup) || p.check_state(kBackup) != BST_CHECKED)) {
    *why = "\"Backup Minecraft Jar\" could not be ticked";
    return false;
  }
  if (!versions) say("ticked \"Backup Minecraft Jar\"");
  if (!p.click_list_item(index, kList) || p.list_selection(kList) != index) {
    *why = "could not pick " + jar + " in the list";
    return false;
  }
  if (!p.click_gadget(kConfirm) || !e2e::wait_for([&] { return p.enabled(kActivate); }, 5000)) {
    e2e::Box box;
    *why = p.wait_box(&box, 500) ? "the program said \"" + box.title + ": " + box.text + "\""
                                 : "\"Aktivieren\" was not enabled after \"Jar ausw\xE4hlen\"";
    return false;
  }
  say("picked " + jar + " and clicked \"Jar ausw\xE4hlen\"");
  shots.take("2-jar-chosen", "with the jar chosen", {main});

  if (!p.click_gadget(kActivate)) {
    *why = "could not click \"Aktivieren\"";
    return false;
  }
  say("clicked \"Aktivieren\"");
  if (versions) {
    if (!install_as_version(p, main, jar, shots, why)) return false;
  } else if (!expect_box(p, main, shots, "3-backup-message", "of the backup message", kBackupDone,
                         why) ||
             !expect_box(p, main, shots, "4-install-message", "of the install message", kInstalled,
                         why)) {
    return false;
  }
  say("answered the messages; closing the program");
  if (!p.click_close_box()) {
    *why = "could not close the program";
    return false;
  }
  const int code = p.wait_exit();
  if (code != 0) {
    *why = code < 0 ? "the program did not end after its close box was clicked"
                    : "the program ended with exit code " + std::to_string(code);
    return false;
  }
  return true;
}

std::string describe(const demo::Snapshot& s, const std::vector<demo::File>& jars) {
  if (!s.has_client) return "missing";
  return demo::identify(s.client, jars) + " (" + std::to_string(s.client.size()) + " bytes)";
}

int fail(const std::string& why) {
  say("NO SWAP: " + why);
  return 1;
}

// The versions layout: the first jar without a version of its name (the first jar when each has
// one) is installed as a version; it counts when the version's jar holds its bytes and the base
// version is unchanged.
int show_version_install(const std::string& folder, const std::string& shots_folder) {
  const std::vector<demo::File> jars = read_files(folder + "jar\\", "*.jar");
  if (jars.empty()) return fail("no jar in " + shown(folder + "jar"));
  const std::string versions = folder + "game\\versions\\";
  size_t index = 0;
  while (index < jars.size() &&
         is_folder(versions + jars[index].name.substr(0, jars[index].name.size() - 4))) {
    ++index;
  }
  if (index == jars.size()) index = 0;
  const demo::File& chosen = jars[index];
  const std::string id = chosen.name.substr(0, chosen.name.size() - 4);
  const std::string base = versions + demo::kBaseVersion + "\\" + demo::kBaseVersion + ".jar";
  const std::string base_before = e2e::read_file(base);
  say("installing " + chosen.name + " as the version " + id);
  Shots shots(shots_folder);
  std::string why;
  bool driven = false;
  try {
    driven = drive(folder, static_cast<int>(index), chosen.name, static_cast<int>(jars.size()),
                   true, shots, &why);
  } catch (const e2e::Unanswered& unanswered) {
    why = unanswered.what();
  }
  if (!driven) return fail(why);
  const std::string made = versions + id + "\\" + id;
  if (e2e::read_file(made + ".jar") != chosen.content)
    return fail(shown(made + ".jar") + " does not hold " + chosen.name);
  if (!e2e::exists(made + ".json")) return fail(shown(made + ".json") + " is missing");
  if (e2e::read_file(base) != base_before) return fail("the base version's jar was changed");
  say("the version " + id + " holds " + chosen.name + "; " + demo::kBaseVersion + " is unchanged");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const demo::Options options =
      demo::parse_arguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!options.error.empty()) {
    std::fprintf(
        stderr,
        "pelmora_demo: %s\nusage: pelmora_demo [--fresh] [--prepare-only] [--shots <folder>] "
        "<example folder>\n",
        options.error.c_str());
    return 2;
  }
  const std::string& folder = options.folder;
  std::string why;
  if (!prepare(folder, options.fresh, options.versions, &why)) return fail(why);
  if (options.prepare_only) return 0;
  if (options.versions) return show_version_install(folder, options.shots);

  const std::string game = folder + "game\\";
  const std::vector<demo::File> jars = read_files(folder + "jar\\", "*.jar");
  const demo::Snapshot before = snapshot(game);
  const int index = demo::next_jar(before.client, jars);
  if (index < 0)
    return fail("no jar in " + shown(folder + "jar") + " differs from bin\\minecraft.jar");
  const demo::File& chosen = jars[static_cast<size_t>(index)];
  say("bin\\minecraft.jar now: " + describe(before, jars) + "; swapping in " + chosen.name);

  Shots shots(options.shots);
  bool driven = false;
  try {
    driven = drive(folder, index, chosen.name, static_cast<int>(jars.size()), false, shots, &why);
  } catch (const e2e::Unanswered& unanswered) {
    why = unanswered.what();
  }
  const demo::Snapshot after = snapshot(game);
  const demo::Verdict verdict = demo::judge(before, after, chosen);

  say("on disk, in " + shown(game) + ":");
  say("  bin\\minecraft.jar before: " + describe(before, jars));
  say("  bin\\minecraft.jar after:  " + describe(after, jars));
  if (verdict.backup.empty()) {
    say("  backup made: none");
  } else {
    say("  backup made: bin\\backup\\" + verdict.backup + " (holds " +
        demo::identify(before.client, jars) + ")");
  }
  if (!driven) return fail(why);
  if (!verdict.swapped) return fail(verdict.reason);
  say("the swap happened");
  return 0;
}
