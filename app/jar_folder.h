// The jar folder and the mods folder beside the program: the listing, opening the jar folder in
// the file manager, jars dropped on window 0, and the start-up clean-up of staging files that a
// killed run left there and in the game folder (jar_folder_win.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "app/app_state.h"

// The folders in the current directory.
constexpr char kJarFolder[] = "jar";
constexpr char kModsFolder[] = "mods";

#ifdef _WIN32
// Lists "jar\*.jar" into jar_names (listing 0 stays open until the end).
void list_jar_folder(AppState& app);
// "Jar-Ordner \xF6ffnen": opens the jar folder (made when missing) in the file manager.
void open_jar_folder();
// Files dropped on window 0 (the WM_DROPFILES handle): jars are copied into the jar folder.
void take_dropped_files(AppState& app, uintptr_t drop);
// Frees a drop that is not taken (while window 1 is open).
void ignore_dropped_files(uintptr_t drop);
// At start-up: removes what a killed run left in the game folder's and the program's folders
// and reports the files that stay in one "Fehler!" message.
void remove_leftover_staging(const std::string& game_folder);
#endif
