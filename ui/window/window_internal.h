// Private to the window library: records, the current event, and the hooks between its files.
#pragma once

#include <cstdint>

#include "ui/window/window.h"
#include "ui/window/window_properties.h"

struct ObjectTable;

using WindowMessageHook = LRESULT (*)(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
using EraseHook = LRESULT (*)(HDC dc, HWND hwnd);

// One open window, in the windows table.
struct WindowObject {
  HWND handle;               // the registry's live word
  ACCEL* accelerators;       // owned, heap_alloc
  HACCEL accelerator_table;  // owned
  WindowMessageHook message_hook;
  int32_t accelerator_count;
  int32_t background_color;
  HBRUSH background_brush;  // owned when set
  HWND mdi_client;
  EraseHook erase_hook;
  uint16_t min_width, min_height, max_width, max_height;  // 0 = no limit
  int32_t min_or_max;                                     // 1 while minimised or maximised
};

// The calling thread's event being built by the window procedure, and the snapshot of the last
// event that event_wait returned.
struct CurrentEvent {
  intptr_t object;
  intptr_t window;
  int32_t type;
  int32_t pending;
  WPARAM wparam;
  LPARAM lparam;
  void* data;
  EventDataRelease data_release;
  intptr_t last_object;
  intptr_t last_window;
  int32_t last_type;
  int32_t last_pending;
  WPARAM last_wparam;
  LPARAM last_lparam;
  void* last_data;
  EventDataRelease last_data_release;
  WindowMessageHook message_hook;
  EventMessageData* message_data;
};

constexpr WORD kCommandFocusNext = 64001;
constexpr WORD kCommandFocusPrevious = 64002;
constexpr int kToolbarId = -10000;
constexpr UINT kSystemCommandFirst = 0xF000;  // SC_SIZE and the other commands of the system

ObjectTable* windows_table();
CurrentEvent* current_event();                  // nullptr before windows_init
void message_data_free(CurrentEvent* current);  // frees message_data and its buffer

// The window found from hwnd up the parent chain that carries GX_WindowID (nullptr if none),
// with its number (-1 if none).
HWND window_owner_of(HWND hwnd, intptr_t* number);

// Gadget list selection through the gadget library's hook (no-op before it is installed).
HWND gadget_list_select_hooked(HWND window);
void gadget_message_hook_install(GadgetMessageHookFn hook);  // window_proc_win.cpp

// Keyboard focus and dialog navigation (focus_win.cpp).
HACCEL accelerator_table_for(HWND window);
void keyboard_cues_set(HWND window, bool visible);
void focus_move(bool backward);

// Live window sizing (sizing_win.cpp). The per-thread sizing state is registered by
// windows_init, during single-threaded start-up, so that every thread's block has room for it.
void sizing_register_slice();
LRESULT live_sizing_step(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// The window the calling thread is sizing, or nullptr.
HWND sizing_window();
