// Records and internal operations shared by the gadget library's files (Windows only).
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

#include "runtime/registry.h"
#include "ui/gadget/gadget_rules.h"

struct GadgetOps;

// One live gadget, kept in the gadget table. The first word is the registry's live word.
struct GadgetObject {
  HWND handle;
  const GadgetOps* ops;
  WNDPROC previous_proc;  // procedure in front of which gadget_window_proc sits
  int32_t back_color;     // COLORREF or -1; the check box keeps its three-state flag here
  int32_t front_color;    // COLORREF or -1
  HBRUSH back_brush;      // from the brush cache, or nullptr
};

// One table per kind, filled on the first creation of the kind and never changed afterwards.
// Forty words: the kind code, the table's size, then the operation slots; a slot a kind does not
// fill stays null.
struct GadgetOps {
  intptr_t kind;
  intptr_t size;
  LRESULT (*message)(GadgetObject* gadget, HWND parent, UINT message, WPARAM wparam, LPARAM lparam);
  void (*free)(GadgetObject* gadget);
  int32_t (*state_get)(GadgetObject* gadget);
  int32_t (*state_set)(GadgetObject* gadget, int32_t state);
  std::string (*text_get)(GadgetObject* gadget);
  int32_t (*text_set)(GadgetObject* gadget, const char* text);
  int32_t (*item_add)(GadgetObject* gadget, int32_t position, const char* text);
  int32_t (*item_add_ex)(GadgetObject* gadget, int32_t position, const char* text);
  int32_t (*item_remove)(GadgetObject* gadget, int32_t index);
  int32_t (*items_clear)(GadgetObject* gadget);
  void (*resize)(GadgetObject* gadget, int x, int y, int width, int height);
  int32_t (*item_count)(GadgetObject* gadget);
  int32_t (*item_state_get)(GadgetObject* gadget, int32_t index);
  int32_t (*item_state_set)(GadgetObject* gadget, int32_t index, int32_t state);
  std::string (*item_text_get)(GadgetObject* gadget, int32_t index);
  int32_t (*item_text_set)(GadgetObject* gadget, int32_t index, const char* text);
  void* unused_18;
  int32_t (*x_get)(GadgetObject* gadget);
  int32_t (*y_get)(GadgetObject* gadget);
  int32_t (*width_get)(GadgetObject* gadget);
  int32_t (*height_get)(GadgetObject* gadget);
  void* unused_23_29[7];
  int32_t (*color_set)(GadgetObject* gadget, int32_t which, int32_t value);
  int32_t (*color_get)(GadgetObject* gadget, int32_t which);
  void* unused_32_33[2];
  intptr_t (*item_data_set)(GadgetObject* gadget, int32_t index, intptr_t value);
  intptr_t (*item_data_get)(GadgetObject* gadget, int32_t index);
  void* unused_36_39[4];
};
static_assert(sizeof(GadgetOps) == 40 * sizeof(void*), "GadgetOps is forty words");

// Per-thread gadget list: where new gadgets go and with which font.
struct GadgetListState {
  HWND parent;    // receives new gadgets; nullptr = no gadget list is current
  HFONT font;     // sent with WM_SETFONT to every new gadget
  HWND* stack;    // nesting stack; owned here while the window is current
  int32_t depth;  // entries in use; 0 = not nested
  int32_t capacity;
};

// --- Toolkit-wide state (gadget_core_win.cpp). ---
ObjectTable* gadget_table();
HFONT gadget_default_font();
GadgetListState* gadget_list_state();  // the calling thread's
HINSTANCE gadget_module_instance();
GadgetObject* gadget_find(intptr_t number);

// Fills `ops` on first use: zeroes it, stores kind and size, lets `fill_slots` store the slots.
void gadget_ops_prepare(GadgetOps* ops, bool* filled, int32_t kind, void (*fill_slots)(GadgetOps*));

// Common creation path up to the claimed record. Returns the record (the control is in
// *handle) or nullptr when the control could not be created or the number not claimed.
GadgetObject* gadget_create_control(intptr_t number, const char* class_name, const char* text,
                                    uint32_t style, uint32_t ex_style, int x, int y, int width,
                                    int height, HWND* handle);
// The same for a kind's style; a null caption is the empty text where the style has one.
GadgetObject* gadget_create_styled(intptr_t number, const GadgetStyle& style, const char* caption,
                                   int x, int y, int width, int height, HWND* handle);
// Last step of every creation: subclass, identifier, GX_ID, font. Returns the creation result.
intptr_t gadget_register(intptr_t number, GadgetObject* gadget, HWND handle, const GadgetOps* ops);

HWND gadget_owner_window(HWND handle);
// Puts `procedure` in front of the control's window procedure; returns the one it replaced.
WNDPROC gadget_subclass(HWND handle, WNDPROC procedure);
LRESULT gadget_send(GadgetObject* gadget, UINT message, WPARAM wparam, LPARAM lparam);
void gadget_post_event(HWND handle, int32_t type);

// --- Colours and moves (gadget_color_win.cpp). ---
void brush_cache_init();
HBRUSH brush_cache_acquire(COLORREF color);
void brush_cache_release(HBRUSH brush);
int32_t gadget_color_slot_set(GadgetObject* gadget, int32_t which, int32_t value);
int32_t gadget_color_slot_get(GadgetObject* gadget, int32_t which);
void gadget_color_slot_free(GadgetObject* gadget);
// Colour rule for the kind's control-colour message (device context in wparam).
LRESULT gadget_color_rule(GadgetObject* gadget, WPARAM dc, int system_color);
void gadget_move_record(GadgetObject* gadget, int x, int y, int width, int height);

// --- Gadget lists (gadget_current_list_win.cpp). ---
void gadget_list_state_init(void* slice);
void gadget_list_state_cleanup(void* slice);
