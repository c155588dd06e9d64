// Shared between the portable operations (prefs.cpp) and the Win32 file layer (prefs_win.cpp).
#pragma once

struct PreferenceFile;

// Registers the per-thread PreferenceFile slice; called once by prefs_init.
void prefs_register_slice(void (*cleanup)(void* slice));
// The calling thread's preference file; nullptr before prefs_init or when the thread's state
// block cannot be allocated.
PreferenceFile* prefs_current();
