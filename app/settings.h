// The settings: the folders beside the program, the time stamps and "pref.ini"
// (settings_win.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "app/app_state.h"

#ifdef _WIN32
// The settings loop: makes sure the jar folder exists, takes the two time stamps and opens
// "pref.ini", creating it on the first run with the game folder the user chooses. Leaves the
// file open with group "Minecraft" selected and reads the game folder. False, after telling the
// user, when "pref.ini" cannot be created.
bool load_settings(AppState& app);
// Writes the game folder into "pref.ini" and the file to disk at once, keeping everything else in
// it. 0 on success, else the system's reason; the file is then as before.
uint32_t save_game_folder(const std::string& folder);
// The full path of "pref.ini".
std::string preferences_path();
// "Minecraft-Ordner \xE4ndern...": the folder chooser, then "pref.ini" and the client jar state;
// the backup made for the old folder is forgotten.
void change_game_folder(AppState& app);
#endif
