// The windows of the versions layout over window 0: window 2, "Version w\xE4hlen", which installs
// the confirmed jar as a version of its own, and window 1 with the backups of Pelmora's versions.
// Each runs its own event loop while window 0 is disabled.
#include <functional>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/restore_window.h"
#include "app/texts.h"
#include "app/version_texts.h"
#include "app/versions.h"
#include "app/version_window.h"
#include "date/date.h"
#include "fs/fs.h"
#include "prefs/prefs.h"
#include "ui/gadget/gadget.h"
#include "ui/requester/requester.h"
#include "ui/window/window.h"

namespace {

// Gadgets of window 0 that the versions layout sets.
constexpr intptr_t kButtonActivate = 2;
constexpr intptr_t kListJars = 3;
constexpr intptr_t kCheckBackup = 6;
constexpr intptr_t kTextBackup = 7;
constexpr intptr_t kButtonMoreJars = 9;

constexpr int kMaxVersionIds = 1000;  // "<stem>", "<stem>-pelmora", ... "-pelmora-999"
constexpr char kPrefsFile[] = "pref.ini";
constexpr char kPrefsGroup[] = "Minecraft";
constexpr char kVersionsGroup[] = "Versionen";

// A window over window `owner` (0, or window 3 for the mods) with a list and two buttons, laid
// out like window 1, optionally with a text above the list. `choose` acts on the chosen item and
// tells whether the window is done.
struct ChoiceLayout {
  intptr_t owner;
  intptr_t window;
  const char* title;
  intptr_t text;  // -1: none
  std::string text_caption;
  intptr_t list, ok, cancel;
  const char* ok_caption;
};

class ChoiceWindow {
 public:
  ChoiceWindow(AppState& app, ChoiceLayout layout, std::vector<std::string> items, int chosen)
      : app_(app), layout_(std::move(layout)), items_(std::move(items)), preselected_(chosen) {}

  void run(const std::function<bool(int)>& choose) {
    HWND owner = window_handle(layout_.owner);
    RECT place{};
    GetWindowRect(owner, &place);
    if (!window_open(layout_.window, place.left, place.top, kWindowWidth, kWindowHeight,
                     layout_.title, kWindowFlags, owner)) {
      return;
    }
    int list_top = 10;
    if (layout_.text >= 0) {
      gadget_text_create(layout_.text, 10, 10, 237, 30, layout_.text_caption.c_str(), 0);
      list_top = 45;
    }
    gadget_listbox_create(layout_.list, 10, list_top, 237, 216 - list_top, 0);
    gadget_button_create(layout_.ok, 10, 226, 150, 30, layout_.ok_caption, 0);
    gadget_button_create(layout_.cancel, 167, 226, 80, 30, texts::kButtonCancel, 0);
    for (const std::string& item : items_) gadget_item_add(layout_.list, -1, item.c_str());
    if (preselected_ >= 0) gadget_state_set(layout_.list, preselected_);
    gadget_disable(layout_.ok, preselected_ < 0 ? 1 : 0);
    EnableWindow(owner, FALSE);
    while (!done_) step(choose);
    // The owner is enabled first so that it becomes active again when this window goes.
    EnableWindow(owner, TRUE);
    window_close(layout_.window);
    gadget_list_select(owner);
  }

 private:
  void step(const std::function<bool(int)>& choose) {
    int32_t event = 0;
    if (dialog_event_ends(app_, &event)) {
      done_ = true;
    } else if (event == event_gadget_activity) {
      const int32_t chosen = gadget_state_get(layout_.list);
      const intptr_t gadget = event_gadget();
      if (gadget == layout_.list) {
        gadget_disable(layout_.ok, chosen < 0 ? 1 : 0);
        if (event_type() == gadget_event_double_click && chosen >= 0) done_ = choose(chosen);
      } else if (gadget == layout_.ok && chosen >= 0) {
        done_ = choose(chosen);
      } else if (gadget == layout_.cancel) {
        done_ = true;
      }
    }
  }

  AppState& app_;
  ChoiceLayout layout_;
  std::vector<std::string> items_;
  int preselected_;
  bool done_ = false;
};

// The base remembered for a jar in group "Versionen" of "pref.ini" ("" when none).
std::string remembered_base(const std::string& jar_name) {
  prefs_group(kVersionsGroup);
  std::string base = prefs_read_string(jar_name.c_str(), "");
  prefs_group(kPrefsGroup);
  return base;
}

// Remembers the base for the jar and writes "pref.ini" at once, as a new game folder is.
void remember_base(const std::string& jar_name, const std::string& base) {
  prefs_group(kVersionsGroup);
  prefs_write_string(jar_name.c_str(), base.c_str());
  prefs_close();
  prefs_open(kPrefsFile);
  prefs_group(kPrefsGroup);
}

// The id made from `stem`: the first candidate whose folder is free or one of Pelmora's versions,
// which the user agrees to replace. False when the user says no or no id is left; *no_free is
// set for the latter.
bool choose_version_id(const std::string& game_folder, const std::string& stem, std::string* id,
                       bool* no_free) {
  *no_free = false;
  for (int attempt = stem.empty() ? 1 : 0; attempt < kMaxVersionIds; ++attempt) {
    const std::string candidate = version_id_candidate(stem, attempt);
    const std::string folder = version_folder_path(game_folder, candidate);
    const int64_t size = file_size(folder.c_str());
    if (size == -1) {
      *id = candidate;
      return true;
    }
    if (size != -2 || file_size((folder + "pelmora.ini").c_str()) < 0) continue;
    *id = candidate;
    return request_message(texts::kTitleQuestion, version_exists_question(candidate).c_str(),
                           MB_YESNO) == IDYES;
  }
  *no_free = true;
  return false;
}

}  // namespace

bool show_versions_state(const AppState& app) {
  if (!app.versions_layout) return false;
  gadget_state_set(kCheckBackup, 0);
  gadget_text_set(kTextBackup, texts::kTextVersionsFolder);
  gadget_disable(kCheckBackup, 1);
  gadget_disable(kTextBackup, 1);
  return true;
}

bool install_source_as_version(AppState& app, const std::string& base, const VersionSource& source,
                               const std::string& info_before) {
  std::string id;
  bool no_free = false;
  if (!choose_version_id(app.game_folder, source.stem, &id, &no_free)) {
    if (no_free) {
      const std::string reason =
          std::string(texts::kReasonNoFreeVersion) + "\n" + versions_folder_path(app.game_folder);
      request_message(texts::kTitleError, version_failure_text(source.stem, reason).c_str());
    }
    return false;
  }
  const VersionInstall result = install_version(app.game_folder, base, source, id,
                                                app.backup_date_part + app.backup_time_part);
  if (!result.outcome.ok()) {
    const std::string reason =
        result.reason.empty() ? failure_reason_text(result.outcome) : result.reason;
    request_message(texts::kTitleError, version_failure_text(id, reason).c_str());
    return false;
  }
  const std::string installed = version_installed_text(id, result.profile_written);
  request_message(texts::kTitleInfo,
                  (info_before.empty() ? installed : info_before + "\n\n" + installed).c_str());
  for (intptr_t gadget : {kButtonActivate, kCheckBackup, kTextBackup, kButtonMoreJars}) {
    gadget_disable(gadget, 1);
  }
  app.installed = true;
  return true;
}

bool choose_base_version(AppState& app, intptr_t owner, const std::string& text,
                         const std::string& preselected,
                         const std::function<bool(const std::string&)>& install) {
  std::vector<BaseVersion> bases = list_base_versions(app.game_folder, SIZE_MAX);
  if (bases.empty()) {
    request_message(texts::kTitleError, texts::kGameJarMissing);
    return false;
  }
  sort_base_versions(&bases);
  int chosen = bases.size() == 1 ? 0 : -1;
  std::vector<std::string> ids;
  for (const BaseVersion& base : bases) {
    if (base.id == preselected) chosen = static_cast<int>(ids.size());
    ids.push_back(base.id);
  }
  const ChoiceLayout layout{owner, 2,  texts::kVersionWindowTitle, 30, text, 31,
                            32,    33, texts::kButtonInstall};
  ChoiceWindow(app, layout, ids, chosen).run([&](int index) {
    return install(ids[static_cast<size_t>(index)]);
  });
  return true;
}

void install_as_version(AppState& app) {
  const std::string jar_name = gadget_text_get(kListJars);
  const VersionSource source{
      install_source_path(current_directory(), jar_name), jar_stem(jar_name), jar_name, {}};
  choose_base_version(app, kMainWindow, version_choice_text(jar_name), remembered_base(jar_name),
                      [&](const std::string& base) {
                        if (!install_source_as_version(app, base, source, "")) return false;
                        remember_base(jar_name, base);
                        return true;
                      });
}

void restore_version_dialog(AppState& app) {
  const std::vector<VersionBackup> backups = list_version_backups(app.game_folder);
  if (backups.empty()) {
    request_message(texts::kTitleInfo, texts::kNoBackup);
    return;
  }
  std::vector<std::string> shown;
  for (const VersionBackup& backup : backups) {
    shown.push_back(version_backup_shown_text(backup.id, backup.name));
  }
  const ChoiceLayout layout{kMainWindow, 1,  texts::kRestoreTitle, -1, "", 20,
                            21,          22, texts::kButtonRestore};
  ChoiceWindow(app, layout, shown, -1).run([&](int index) {
    const VersionBackup& backup = backups[static_cast<size_t>(index)];
    // A backup made now is named after the time of the click.
    const DateValue now = date_now();
    const std::string stamp = date_format("%dd_%mm_%yyyy_%hh_%ii_%ss", now);
    const RestoreResult result = restore_version_backup(app.game_folder, backup, stamp);
    if (!result.outcome.ok()) {
      request_message(
          texts::kTitleError,
          version_restore_failure_text(backup, result.outcome, result.new_backup).c_str());
      return false;
    }
    request_message(texts::kTitleInfo,
                    version_restore_done_text(backup, result.new_backup).c_str());
    return true;
  });
}
