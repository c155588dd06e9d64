// The main window, its event loop and the install action.
#include "app/main_window.h"
#include "app/jar_folder.h"
#include "app/mods_window.h"
#include "app/restore_window.h"
#include "app/settings.h"
#include "app/identity.h"
#include "app/install.h"
#include "app/main_layout.h"
#include "app/texts.h"
#include "app/versions.h"
#include "app/version_window.h"
#include "fs/fs.h"
#include "process/process.h"
#include "runtime/system_libraries.h"
#include "ui/gadget/gadget.h"
#include "ui/requester/requester.h"
#include "ui/window/window.h"

namespace {

using main_layout::kButtonAbout;
using main_layout::kButtonActivate;
using main_layout::kButtonConfirm;
using main_layout::kButtonMoreJars;
using main_layout::kCheckBackup;
using main_layout::kListJars;
using main_layout::kTextBackup;

constexpr int32_t kDisable = 1;
constexpr int32_t kEnable = 0;

void create_gadget(const main_layout::Gadget& g) {
  using main_layout::Kind;
  switch (g.kind) {
    case Kind::frame:
      gadget_frame_create(g.number, g.x, g.y, g.width, g.height, g.text, g.flags);
      break;
    case Kind::button:
      gadget_button_create(g.number, g.x, g.y, g.width, g.height, g.text, g.flags);
      break;
    case Kind::listbox:
      gadget_listbox_create(g.number, g.x, g.y, g.width, g.height, g.flags);
      break;
    case Kind::checkbox:
      gadget_checkbox_create(g.number, g.x, g.y, g.width, g.height, g.text, g.flags);
      break;
    case Kind::text:
      gadget_text_create(g.number, g.x, g.y, g.width, g.height, g.text, g.flags);
      break;
  }
}

// The items added below the standard items of window 0's system menu, in menu order.
struct SystemMenuItem {
  uint32_t id;
  const char* text;
};
constexpr SystemMenuItem kSystemMenu[] = {
    {kMenuRestore, texts::kMenuRestore},       {kMenuGameFolder, texts::kMenuGameFolder},
    {kMenuJarFolder, texts::kMenuJarFolder},   {kMenuMods, texts::kMenuMods},
    {kMenuModsFolder, texts::kMenuModsFolder},
};

void on_menu(AppState& app, intptr_t command) {
  switch (command) {
    case kMenuRestore:
      restore_dialog(app);
      break;
    case kMenuGameFolder:
      change_game_folder(app);
      break;
    case kMenuJarFolder:
      open_jar_folder();
      break;
    case kMenuMods:
      mods_dialog(app);
      break;
    case kMenuModsFolder:
      open_mods_folder();
      break;
    default:
      break;
  }
}

// Stops a control from drawing while it is filled and repaints it once afterwards. A visible
// list box otherwise redraws itself and its scroll bar for every item added, which makes a
// list of 10,000 jars take seconds instead of milliseconds.
class RedrawPause {
 public:
  explicit RedrawPause(HWND control) : control_(control) {
    if (control_) SendMessageA(control_, WM_SETREDRAW, FALSE, 0);
  }
  ~RedrawPause() {
    if (!control_) return;
    SendMessageA(control_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(control_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
  }
  RedrawPause(const RedrawPause&) = delete;
  RedrawPause& operator=(const RedrawPause&) = delete;

 private:
  HWND control_;
};

// "Jar ausw\xE4hlen": locks the chosen name in and enables "Aktivieren"; ignored without a choice.
// A file that is no jar archive is refused and the choice stays open.
void confirm_jar(AppState& app) {
  const std::string name = gadget_text_get(kListJars);
  if (name.empty()) return;
  const JarCheck check = check_jar_file(install_source_path(current_directory(), name));
  if (!check.ok()) {
    request_message(texts::kTitleError, jar_refused_text(name, check).c_str());
    return;
  }
  gadget_disable(kListJars, kDisable);
  gadget_disable(kButtonConfirm, kDisable);
  gadget_disable(kButtonActivate, kEnable);
  app.confirmed = true;
}

// The program runs elevated (its manifest asks for administrator rights), and Windows keeps the
// messages of a drop from the unelevated file manager away from it unless the window lets them
// through. The function is loaded by name: systems before Windows 7 lack it and block nothing.
// Which messages were let through is kept in the window's property "Pelmora_DropFilter" (bit n
// for the n-th message below), where a test or a support question can read it.
void let_drops_through(HWND window) {
  using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  const auto filter =
      reinterpret_cast<FilterFn>(system_function("user32.dll", "ChangeWindowMessageFilterEx"));
  if (!filter) return;
  constexpr UINT kCopyGlobalData = 0x0049;  // WM_COPYGLOBALDATA, carries the dropped names
  constexpr DWORD kAllow = 1;               // MSGFLT_ALLOW
  uintptr_t allowed = 0;
  uintptr_t bit = 1;
  for (const UINT message : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, kCopyGlobalData}) {
    if (filter(window, message, kAllow, nullptr)) allowed |= bit;
    bit <<= 1;
  }
  SetPropA(window, "Pelmora_DropFilter", reinterpret_cast<HANDLE>(allowed));
}

}  // namespace

bool open_main_window(AppState& app) {
  // The window is shown once its gadgets exist: on a visible window each gadget would be drawn
  // as it is created, and every start would pay for nine drawings nobody sees.
  const main_layout::WindowPlace& place = main_layout::kWindow;
  if (!window_open(kMainWindow, place.x, place.y, place.width, place.height, texts::kWindowTitle,
                   kWindowFlags | window_hidden))
    return false;
  for (const main_layout::Gadget& g : main_layout::kGadgets) create_gadget(g);
  for (const SystemMenuItem& item : kSystemMenu) {
    window_system_menu_add(kMainWindow, item.id, item.text);
  }
  gadget_disable(kButtonActivate, kDisable);
  detect_game_layout(app);
  // Files dragged from the file manager are accepted (the style DragAcceptFiles sets).
  HWND window = window_handle(kMainWindow);
  SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
  let_drops_through(window);
  ShowWindow(window, SW_SHOWNORMAL);
  // The message about a missing client jar is owned by the visible window.
  if (file_size(client_jar_path(app.game_folder).c_str()) == -1) show_client_jar_state(app);
  return true;
}

void show_client_jar_state(const AppState& app) {
  if (show_versions_state(app)) return;
  if (file_size(client_jar_path(app.game_folder).c_str()) == -1) {
    gadget_text_set(kTextBackup, texts::kGameJarMissingShort);
    request_message(texts::kTitleError, texts::kGameJarMissing);
    // Without a client jar there is nothing to back up: a tick the user cannot take back would
    // make every install fail.
    gadget_state_set(kCheckBackup, 0);
    gadget_disable(kCheckBackup, kDisable);
    gadget_disable(kTextBackup, kDisable);
    return;
  }
  gadget_text_set(kTextBackup, texts::kTextBackupFolder);
  const int32_t state = app.installed ? kDisable : kEnable;
  gadget_disable(kCheckBackup, state);
  gadget_disable(kTextBackup, state);
}

void refill_jar_list(AppState& app) {
  if (app.confirmed) return;
  gadget_items_clear(kListJars);
  list_jar_folder(app);
  if (!app.jar_names[0].empty()) {
    gadget_disable(kListJars, kEnable);
    gadget_disable(kButtonConfirm, kEnable);
  }
  fill_jar_list(app);
}

void fill_jar_list(AppState& app) {
  app.jar_index = 0;
  if (app.jar_names[0].empty()) {
    gadget_item_add(kListJars, -1, texts::kNoJarFound);
    gadget_disable(kButtonActivate, kDisable);
    gadget_disable(kButtonConfirm, kDisable);
    return;
  }
  const HWND list = gadget_handle(kListJars);
  const RedrawPause pause(list);
  // Room for every name at once: the list box otherwise grows its tables step by step.
  size_t bytes = 0;
  for (size_t i = 0; i < app.jar_names.count(); ++i) bytes += app.jar_names[i].size() + 1;
  if (list) SendMessageA(list, LB_INITSTORAGE, app.jar_names.count(), bytes);
  while (!app.jar_names[app.jar_index].empty()) {
    gadget_item_add(kListJars, app.jar_index, app.jar_names[app.jar_index].c_str());
    ++app.jar_index;
  }
}

void run_event_loop(AppState& app) {
  while (!app.quit_requested) {
    app.last_event = event_wait();
    if (app.last_event == event_close_window) app.quit_requested = 1;
    if (app.last_event == event_menu) {
      on_menu(app, event_gadget());
      continue;
    }
    if (app.last_event == static_cast<int32_t>(WM_DROPFILES)) {
      take_dropped_files(app, event_wparam());
      continue;
    }
    // Only a gadget event is a click. A raw message keeps naming the last clicked gadget, and
    // acting on it would repeat that click (a second About box, a second install).
    if (app.last_event != event_gadget_activity) continue;
    switch (event_gadget()) {
      case kButtonAbout:
        request_message(texts::kTitleAbout, texts::kAbout);
        break;
      case kButtonActivate:
        activate_jar(app);
        break;
      case kButtonConfirm:
        confirm_jar(app);
        break;
      case kButtonMoreJars:
        program_run(PELMORA_DOWNLOAD_PAGE);
        return;
      default:
        break;
    }
  }
}

void activate_jar(AppState& app) {
  if (app.versions_layout) return install_as_version(app);
  const std::string source = install_source_path(current_directory(), gadget_text_get(kListJars));
  // The chosen file may have changed since it was confirmed: it is checked before anything
  // is changed.
  const FileOutcome checked = check_jar_outcome(source);
  if (!checked.ok()) {
    request_message(texts::kTitleError, install_failure_text(checked, "").c_str());
    return;
  }
  if (install_with_backup(app, source)) request_message(texts::kTitleInfo, texts::kInstalled);
}

bool install_with_backup(AppState& app, const std::string& source) {
  // A backup is made once per run: after a failed install the user may try again without a
  // second copy of the same client jar.
  if (gadget_state_get(kCheckBackup) == 1 && app.backup_path.empty()) {
    const FileOutcome backup =
        backup_client_jar(app.game_folder, app.backup_date_part + app.backup_time_part);
    if (!backup.ok()) {
      request_message(texts::kTitleError, backup_failure_text(backup).c_str());
      return false;
    }
    app.backup_path = backup.path;
    request_message(texts::kTitleInfo, texts::kBackupDone);
  }
  // An install that fails changes nothing, so these come back as they were for the retry.
  const bool was_enabled[] = {IsWindowEnabled(gadget_handle(kCheckBackup)) != FALSE,
                              IsWindowEnabled(gadget_handle(kButtonMoreJars)) != FALSE,
                              IsWindowEnabled(gadget_handle(kTextBackup)) != FALSE};
  gadget_disable(kCheckBackup, kDisable);
  gadget_disable(kButtonMoreJars, kDisable);
  gadget_disable(kTextBackup, kDisable);
  const FileOutcome installed = install_client_jar(source, app.game_folder);
  if (!installed.ok()) {
    gadget_disable(kCheckBackup, was_enabled[0] ? kEnable : kDisable);
    gadget_disable(kButtonMoreJars, was_enabled[1] ? kEnable : kDisable);
    gadget_disable(kTextBackup, was_enabled[2] ? kEnable : kDisable);
    request_message(texts::kTitleError, install_failure_text(installed, app.backup_path).c_str());
    return false;
  }
  gadget_disable(kButtonActivate, kDisable);
  app.installed = true;
  return true;
}

int run_application(AppState& app) {
  if (!load_settings(app)) return kExitNoPreferences;
  remove_leftover_staging(app.game_folder);
  list_jar_folder(app);
  if (!open_main_window(app)) {
    request_message(texts::kTitleError, texts::kWindowNotOpened);
    return kExitNoWindow;
  }
  fill_jar_list(app);
  run_event_loop(app);
  return kExitOk;
}
