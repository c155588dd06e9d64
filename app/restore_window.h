// Window 1, the backups to put back, and the event wait that windows 1 to 3 share
// (restore_window_win.cpp).
#pragma once

#include <cstdint>

#include "app/app_state.h"

#ifdef _WIN32
// Waits for one event of a window that runs its own loop over window 0 (windows 1 to 3) and
// handles what they all share: true when it ends the loop (a close box, window 0's also asking
// the program to quit, or Escape); dropped files are refused. *event is the event waited for.
bool dialog_event_ends(AppState& app, int32_t* event);
// "Backup wiederherstellen...": lists the backups in window 1 over window 0 and puts the chosen
// one back as the client jar; window 0 is disabled meanwhile.
void restore_dialog(AppState& app);
#endif
