// Gadgets: native child controls (frame, button, check box, list box, text) addressed by number.
//
// Gadgets are created into the window whose gadget list is current on the calling thread (see
// gadget_list_select; window_open selects the window it opens). A number of 0 or more is the
// caller's choice; -1 asks for an automatic number. Creating a number that holds a live gadget
// destroys the old control first. A gadget dies with its control: DestroyWindow on it, or on its
// window, unregisters it.
//
// Results: creation gives 0 on failure, the automatic number when number was -1, else the
// control's window handle. Every other operation on a number without a live gadget makes no
// native call and gives 0 (the empty string for texts, -1 for colour reads).
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

// Event types of gadget events (event 13100); other types are notification codes as they come.
constexpr int32_t gadget_event_click = 0;         // click, selection change, list release
constexpr int32_t gadget_event_double_click = 2;  // list box double click
constexpr int32_t gadget_event_drag_start = 14002;

// Kind codes (what the kind table's first word holds).
constexpr int32_t gadget_kind_button = 1;
constexpr int32_t gadget_kind_text = 3;
constexpr int32_t gadget_kind_checkbox = 4;
constexpr int32_t gadget_kind_listbox = 6;
constexpr int32_t gadget_kind_frame = 7;

// Colour selectors and values (COLORREF 0x00BBGGRR; -1 = system default).
constexpr int32_t gadget_color_front = 1;
constexpr int32_t gadget_color_back = 2;
constexpr int32_t gadget_color_default = -1;

// Position or size argument that keeps the gadget's current value.
constexpr int gadget_keep = -65535;

// Start-up step (after windows_init): brush-cache lock, default font, gadget table, per-thread
// gadget-list state, common controls; plugs the gadget side into the window library. Returns
// InitCommonControlsEx's result.
BOOL gadget_toolkit_init();

// --- Creation. Frame flags: 0 group box with caption, 1 sunken client edge, 2 static edge,
// anything else a thin border (the last three show no caption). Other kinds: flags are style
// bits of the class; a check box with (flags & 5) == 5 is three-state. ---
intptr_t gadget_frame_create(intptr_t number, int x, int y, int width, int height,
                             const char* caption, uint32_t flags = 0);
intptr_t gadget_button_create(intptr_t number, int x, int y, int width, int height,
                              const char* caption, uint32_t flags = 0);
intptr_t gadget_checkbox_create(intptr_t number, int x, int y, int width, int height,
                                const char* caption, uint32_t flags = 0);
intptr_t gadget_listbox_create(intptr_t number, int x, int y, int width, int height,
                               uint32_t flags = 0);
intptr_t gadget_text_create(intptr_t number, int x, int y, int width, int height,
                            const char* caption, uint32_t flags = 0);

// Destroys the gadget's control; DestroyWindow's result, 0 when there is no gadget.
BOOL gadget_destroy_by_number(intptr_t number);
// Control handle of a live gadget, or nullptr.
HWND gadget_handle(intptr_t number);

// --- Generic operations. Texts: null counts as "". ---
// Caption, or for a list box the selected item ("" when none).
std::string gadget_text_get(intptr_t number);
// Caption, or for a list box selects the item with that text (case-insensitive whole match).
int32_t gadget_text_set(intptr_t number, const char* text);
// Button: 1 pressed; check box: 1 checked, 0 clear, -1 indeterminate; list box: selected (or
// first selected) index, -1 none; frame, text: 0.
int32_t gadget_state_get(intptr_t number);
// Button, check box (-1 = indeterminate on a three-state box), list box (index, -1 = none).
int32_t gadget_state_set(intptr_t number, int32_t state);
// List box: inserts before the item at `position` (-1 appends). Returns 0.
int32_t gadget_item_add(intptr_t number, int32_t position, const char* text);
int32_t gadget_item_remove(intptr_t number, int32_t index);
int32_t gadget_items_clear(intptr_t number);
int32_t gadget_item_count(intptr_t number);
int32_t gadget_item_state_get(intptr_t number, int32_t index);
int32_t gadget_item_state_set(intptr_t number, int32_t index, int32_t state);
std::string gadget_item_text_get(intptr_t number, int32_t index);
int32_t gadget_item_text_set(intptr_t number, int32_t index, const char* text);
intptr_t gadget_item_data_set(intptr_t number, int32_t index, intptr_t value);
intptr_t gadget_item_data_get(intptr_t number, int32_t index);
// state non-zero disables, 0 enables. EnableWindow's result: non-zero when it was disabled.
BOOL gadget_disable(intptr_t number, int32_t state);
// List box and text: which = 1 text colour, 2 background. color_set returns RedrawWindow's
// result; color_get returns the colour, -1 for the default or an unknown selector.
int32_t gadget_color_set(intptr_t number, int32_t which, int32_t value);
int32_t gadget_color_get(intptr_t number, int32_t which);
// Moves and sizes the gadget (parent client coordinates); gadget_keep keeps a value. Returns 1,
// or 0 when there is no gadget.
int32_t gadget_move(intptr_t number, int x, int y, int width, int height);

// --- Gadget lists. Makes `window` the calling thread's current gadget list and returns the
// previously current window (nullptr if none). A window of nullptr only returns the current
// window. ---
HWND gadget_list_select(HWND window);
