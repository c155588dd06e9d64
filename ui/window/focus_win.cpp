// Keyboard focus and dialog navigation between the controls of a toolkit window.
//
// Only the accelerator-table lookup is in place; the rich-edit and hot-key exceptions, the
// keyboard cues and the focus moves are filled in with the keyboard navigation work.
#include "runtime/registry.h"
#include "ui/window/window.h"
#include "ui/window/window_internal.h"

HACCEL accelerator_table_for(HWND window) {
  // To be added with keyboard navigation: an editable rich edit keeps plain Tab, modifier keys
  // show the keyboard cues, and a control marked GX_Hotkey receives every key itself.
  if (!window) return nullptr;
  intptr_t number = window_number_of(window);
  if (number == -1) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  auto* record = static_cast<WindowObject*>(object_find(windows_table(), number));
  return record ? record->accelerator_table : nullptr;
}

void keyboard_cues_set(HWND, bool) {
  // To be filled with keyboard navigation (WM_QUERYUISTATE / WM_UPDATEUISTATE).
}

void focus_move(bool) {
  // To be filled with keyboard navigation: Tab / Shift+Tab through the window's tab stops.
}
