// Window 3, the mods to build into the client jar, and the mods folder (mods_window_win.cpp).
#pragma once

#include "app/app_state.h"

#ifdef _WIN32
// "Mods einbauen...": lists the mods in window 3 over window 0 and builds them into the client
// jar; window 0 is disabled meanwhile. "Im Mods-Ordner liegt noch keine Mod." without mods.
void mods_dialog(AppState& app);
// "Mods-Ordner \xF6ffnen": opens the mods folder (made when missing) in the file manager.
void open_mods_folder();
#endif
