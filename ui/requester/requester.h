// Modal system dialogs (message box, folder browser) with the calling thread's other windows
// blocked while they are open.
//
// Strings are ANSI; a null string counts as "". Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Start-up step: registers the common control classes. COM is started by the first folder
// browser, the only requester that needs it.
void requester_init();

// Shows a message box and returns the code of the button that closed it (IDOK = 1); 0 when the
// box could not be shown. `flags` is the message box type (buttons, icon, default button).
int request_message(const char* title, const char* text, uint32_t flags);
int request_message(const char* title, const char* text);  // one OK button, no icon

// The window to own a requester: the foreground window when it belongs to this process.
HWND requester_owner_window();

// Bracket a system dialog: modal_enter disables the thread's other visible top-level windows
// (all but the foreground one) and takes them out of the topmost band; the matching modal_leave
// (same thread) puts back exactly what its modal_enter changed. Pairs may nest.
void modal_enter();
void modal_leave();

// Lets the user pick a folder. `initial_path` (at most 259 characters are used; one trailing
// "\" is dropped unless it is a root such as "C:\") is preselected as given, without expanding
// variables. Returns the folder with a trailing "\", or "" when cancelled or not a file path.
std::string request_path(const char* title, const char* initial_path);
