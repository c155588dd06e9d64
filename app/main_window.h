// Window 0, the main window: its gadgets, its event loop, the install action, and the whole
// application after the runtime start-up (main_window_win.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "app/app_state.h"

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

#ifdef _WIN32
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
// Runs until the window is closed or "Mehr Jars" has opened the download page.
void run_event_loop(AppState& app);
// "Aktivieren": the optional backup, then the install.
void activate_jar(AppState& app);
// The backup when check box 6 asks for one (once per run), then the install of source as the
// client jar; every failure is told. True when source was installed.
bool install_with_backup(AppState& app, const std::string& source);

// The whole application after the runtime start-up; returns the exit code.
int run_application(AppState& app);
#endif
