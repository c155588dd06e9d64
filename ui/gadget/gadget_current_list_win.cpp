// Per-thread gadget lists: which window receives new gadgets, and the parking of a window's
// list state in its "GX_GadgetStack_%i" property while another window is current.
#include <cstdio>

#include "runtime/runtime.h"
#include "ui/gadget/gadget.h"
#include "ui/gadget/gadget_internal.h"
#include "ui/window/window_properties.h"

namespace {

constexpr int32_t kStackCapacity = 10;

// A window's parked gadget-list state, attached as its "GX_GadgetStack_%i" property.
struct GadgetListSave {
  HWND window;
  HWND saved_parent;
  HWND* saved_stack;  // handed over while another window is current; nullptr while current
  int32_t saved_depth;
  int32_t saved_capacity;
  WNDPROC previous_proc;
};

// Property name, formatted with the module instance as a signed decimal.
struct PropertyName {
  char text[48];
};

PropertyName save_property_name() {
  PropertyName name;
  std::snprintf(name.text, sizeof(name.text), "%s%i", kPropGadgetStackPrefix,
                static_cast<int>(reinterpret_cast<intptr_t>(gadget_module_instance())));
  return name;
}

GadgetListSave* save_of(HWND window, const PropertyName& name) {
  return static_cast<GadgetListSave*>(GetPropA(window, name.text));
}

HWND current_window(const GadgetListState* state) {
  return state->depth != 0 && state->stack != nullptr ? state->stack[0] : state->parent;
}

HWND* new_stack() { return static_cast<HWND*>(heap_alloc(kStackCapacity * sizeof(HWND))); }

LRESULT CALLBACK gadget_list_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const PropertyName name = save_property_name();
  GadgetListSave* save = save_of(hwnd, name);
  if (save == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  const WNDPROC previous = save->previous_proc;
  if (message == WM_NCDESTROY) {
    GadgetListState* state = gadget_list_state();
    if (current_window(state) == hwnd) {
      state->parent = nullptr;
      state->depth = 0;
    }
    heap_free(save->saved_stack);
    heap_free(save);
    RemovePropA(hwnd, name.text);
  }
  if (previous == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  return CallWindowProcA(previous, hwnd, message, wparam, lparam);
}

}  // namespace

void gadget_list_state_init(void* slice) {
  auto* state = static_cast<GadgetListState*>(slice);
  state->capacity = kStackCapacity;
  state->stack = new_stack();
  state->font = gadget_default_font();
}

void gadget_list_state_cleanup(void* slice) {
  auto* state = static_cast<GadgetListState*>(slice);
  heap_free(state->stack);
  state->stack = nullptr;
}

HWND gadget_list_select(HWND window) {
  GadgetListState* state = gadget_list_state();
  HWND previous = current_window(state);
  if (window == nullptr) return previous;
  const PropertyName name = save_property_name();

  if (previous != nullptr) {
    GadgetListSave* parked = save_of(previous, name);
    if (parked != nullptr) {
      parked->saved_parent = state->parent;
      parked->saved_stack = state->stack;
      parked->saved_depth = state->depth;
      parked->saved_capacity = state->capacity;
      state->stack = nullptr;
    }
  }

  GadgetListSave* save = save_of(window, name);
  if (save != nullptr) {
    heap_free(state->stack);
    state->parent = save->saved_parent;
    state->stack = save->saved_stack;
    state->depth = save->saved_depth;
    state->capacity = save->saved_capacity;
    save->saved_stack = nullptr;
    return previous;
  }

  if (state->stack == nullptr) {
    state->stack = new_stack();
    state->capacity = kStackCapacity;
  }
  state->depth = 0;
  state->parent = window;
  save = static_cast<GadgetListSave*>(heap_alloc(sizeof(GadgetListSave)));
  if (save == nullptr) return previous;
  save->window = window;
  SetPropA(window, name.text, save);
  save->previous_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gadget_list_window_proc)));
  return previous;
}
