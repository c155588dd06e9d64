// The application's variables and its three stages: settings, main window with its event loop,
// and the install action. Windows only apart from the record itself.
#pragma once

#include <cstdint>
#include <string>

#include "app/paths.h"

struct AppState {
  std::string backup_date_part;  // start-up date, "%dd_%mm_%yyyy_"
  std::string backup_time_part;  // start-up time, "%hh_%ii_%ss"
  std::string game_folder;       // ".minecraft" of group "Minecraft" in "pref.ini"
  JarNames jar_names;            // the jar folder's "*.jar" entries in listing order
  int32_t jar_index = 0;
  int32_t last_event = 0;
  int32_t quit_requested = 0;
  std::string backup_path;  // the backup made in this run for game_folder ("" while none)
  bool confirmed = false;   // "Jar ausw\xE4hlen" has locked a jar in
  bool installed = false;   // a jar was installed in this run
  // No client jar, but base versions in "versions\" (see app/versions.h).
  bool versions_layout = false;
};

// Exit codes of the program.
constexpr int kExitOk = 0;
constexpr int kExitNoPreferences = 1;  // "pref.ini" could not be created
constexpr int kExitNoWindow = 2;       // the main window could not be opened

// Window 0 and its flags, shared by the main window and the windows opened over it.
constexpr intptr_t kMainWindow = 0;
constexpr uint32_t kWindowFlags = 0xC80000;  // caption, system menu, close box; fixed size
constexpr int kWindowWidth = 257;
constexpr int kWindowHeight = 266;

// Commands of window 0's system menu.
constexpr uint32_t kMenuRestore = 0x1100;
constexpr uint32_t kMenuGameFolder = 0x1110;
constexpr uint32_t kMenuJarFolder = 0x1120;
constexpr uint32_t kMenuMods = 0x1130;
constexpr uint32_t kMenuModsFolder = 0x1140;

// The mods folder beside the jar folder in the current directory.
constexpr char kModsFolder[] = "mods";

#ifdef _WIN32
// The settings loop: makes sure the jar folder exists, takes the two time stamps and opens
// "pref.ini", creating it on the first run with the game folder the user chooses. Leaves the
// file open with group "Minecraft" selected and reads the game folder. False, after telling the
// user, when "pref.ini" cannot be created.
bool load_settings(AppState& app);
// Lists "jar\*.jar" into jar_names (listing 0 stays open until the end).
void list_jar_folder(AppState& app);
// Writes the game folder into "pref.ini" and the file to disk at once, keeping everything else in
// it. 0 on success, else the system's reason; the file is then as before.
uint32_t save_game_folder(const std::string& folder);
// The full path of "pref.ini".
std::string preferences_path();

// Opens window 0 with its gadgets and checks for the game's client jar. False when the window
// cannot be opened (no gadget is created then).
bool open_main_window(AppState& app);
// Fills the list with the jar names, or "Keine JAR gefunden!" with the buttons disabled.
void fill_jar_list(AppState& app);
// Looks for the client jar of the game folder and sets the backup check box and its text: a
// missing jar is reported, disables both and clears the box, a found one enables both unless a
// jar was installed in this run.
void show_client_jar_state(const AppState& app);
// Reads the jar folder again and fills the list anew, unless a jar has been confirmed.
void refill_jar_list(AppState& app);
// "Minecraft-Ordner \xE4ndern...": the folder chooser, then "pref.ini" and the client jar state;
// the backup made for the old folder is forgotten.
void change_game_folder(AppState& app);
// "Jar-Ordner \xF6ffnen": opens the jar folder (made when missing) in the file manager.
void open_jar_folder();
// Files dropped on window 0 (the WM_DROPFILES handle): jars are copied into the jar folder.
void take_dropped_files(AppState& app, uintptr_t drop);
// Frees a drop that is not taken (while window 1 is open).
void ignore_dropped_files(uintptr_t drop);
// Waits for one event of a window that runs its own loop over window 0 (windows 1 to 3) and
// handles what they all share: true when it ends the loop (a close box, window 0's also asking
// the program to quit, or Escape); dropped files are refused. *event is the event waited for.
bool dialog_event_ends(AppState& app, int32_t* event);
// Runs until the window is closed or "Mehr Jars" has opened the download page.
void run_event_loop(AppState& app);
// "Aktivieren": the optional backup, then the install.
void activate_jar(AppState& app);
// The backup when check box 6 asks for one (once per run), then the install of source as the
// client jar; every failure is told. True when source was installed.
bool install_with_backup(AppState& app, const std::string& source);
// "Mods einbauen...": lists the mods in window 3 over window 0 and builds them into the client
// jar; window 0 is disabled meanwhile. "Im Mods-Ordner liegt noch keine Mod." without mods.
void mods_dialog(AppState& app);
// "Mods-Ordner \xF6ffnen": opens the mods folder (made when missing) in the file manager.
void open_mods_folder();
// "Backup wiederherstellen...": lists the backups in window 1 over window 0 and puts the chosen
// one back as the client jar; window 0 is disabled meanwhile.
void restore_dialog(AppState& app);

// The whole application after the runtime start-up; returns the exit code.
int run_application(AppState& app);
#endif
