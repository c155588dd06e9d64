// Keyboard focus and dialog navigation between the controls of a toolkit window.
//
// Toolkit windows are ordinary top-level windows, not dialog boxes: Tab and Shift+Tab reach the
// window procedure as the accelerator commands of the window's table and move the focus here;
// the keyboard cues (focus rectangles, accelerator underlines) are hidden on deactivation and
// shown again when the keyboard is used.
#include <windows.h>

#include <richedit.h>

#include <cstring>

#include "runtime/registry.h"
#include "ui/window/window.h"
#include "ui/window/window_internal.h"

namespace {

constexpr WPARAM kCuesShow = MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL);
constexpr WPARAM kCuesHide = MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL);
constexpr LRESULT kCueBits = UISF_HIDEFOCUS | UISF_HIDEACCEL;

bool key_down(int vk) { return GetKeyState(vk) < 0; }

bool modifier_down() { return key_down(VK_CONTROL) || key_down(VK_SHIFT) || key_down(VK_MENU); }

// An editable rich edit control takes a plain Tab as text.
bool rich_edit_wants_tab(HWND focus) {
  if (!key_down(VK_TAB) || modifier_down()) return false;
  char name[5] = {};
  GetClassNameA(focus, name, sizeof name);
  if (std::strcmp(name, "Rich") != 0) return false;
  return (SendMessageA(focus, EM_GETOPTIONS, 0, 0) & ECO_READONLY) == 0;
}

// One focus move through the tab stops of a container.
struct Navigation {
  HWND anchor;     // the control the move starts from, or none
  HWND candidate;  // last tab stop seen (backward)
  bool take_next;  // the anchor was passed (forward)
  bool done;
};

bool is_tab_stop(HWND window) {
  return IsWindowEnabled(window) && IsWindowVisible(window) &&
         (GetWindowLongA(window, GWL_STYLE) & WS_TABSTOP);
}

BOOL CALLBACK forward_visit(HWND window, LPARAM param) {
  auto* n = reinterpret_cast<Navigation*>(param);
  if (!is_tab_stop(window)) return TRUE;
  // The parts of a composite anchor follow it in the enumeration; the move skips them, or Tab
  // would never leave a composite whose parts are tab stops themselves.
  if (n->take_next && IsChild(n->anchor, window)) return TRUE;
  if (n->take_next || !n->anchor) {
    SetFocus(window);
    n->take_next = false;
    return FALSE;
  }
  if (window == n->anchor) n->take_next = true;
  return TRUE;
}

BOOL CALLBACK backward_visit(HWND window, LPARAM param) {
  auto* n = reinterpret_cast<Navigation*>(param);
  if (!is_tab_stop(window)) return TRUE;
  if (window == n->anchor && n->candidate) {
    SetFocus(n->candidate);
    n->done = true;
    n->candidate = window;
    return FALSE;
  }
  n->candidate = window;
  return TRUE;
}

// A focus inside a composite control (extended combo box, IP address control) moves as the
// composite; inside an MDI child, navigation stays within the child. The outermost match wins.
HWND find_anchor(HWND focus, HWND* container) {
  HWND anchor = focus;
  for (HWND w = focus; w; w = GetParent(w)) {
    char name[50] = {};
    GetClassNameA(w, name, sizeof name);
    if (std::strcmp(name, "MDI_ChildClass") == 0) {
      *container = w;
      if (w == focus) anchor = nullptr;
    } else if (std::strcmp(name, "ComboBoxEx32") == 0) {
      if (GetWindowLongA(w, GWL_STYLE) & 0x1) anchor = w;
    } else if (std::strcmp(name, "SysIPAddress32") == 0) {
      anchor = w;
    }
  }
  return anchor;
}

}  // namespace

HACCEL accelerator_table_for(HWND window) {
  HWND focus = GetFocus();
  if (focus && rich_edit_wants_tab(focus)) return nullptr;
  if (window && modifier_down()) keyboard_cues_set(window, true);
  if (focus && GetPropA(focus, kPropHotkey)) return nullptr;
  if (!window) return nullptr;
  intptr_t number = window_number_of(window);
  if (number == -1) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  auto* record = static_cast<WindowObject*>(object_find(windows_table(), number));
  return record ? record->accelerator_table : nullptr;
}

void keyboard_cues_set(HWND window, bool visible) {
  LRESULT hidden = SendMessageA(window, WM_QUERYUISTATE, 0, 0) & kCueBits;
  if (visible) {
    if (hidden == 0) return;
    SendMessageA(window, WM_UPDATEUISTATE, kCuesShow, 0);
  } else {
    if (hidden == kCueBits) return;
    SendMessageA(window, WM_UPDATEUISTATE, kCuesHide, 0);
  }
  InvalidateRect(window, nullptr, FALSE);
}

void focus_move(bool backward) {
  HWND container = GetActiveWindow();
  HWND focus = GetFocus();
  Navigation n{};
  if (container && focus && IsChild(container, focus)) n.anchor = find_anchor(focus, &container);
  if (!container) return;
  const auto param = reinterpret_cast<LPARAM>(&n);
  if (!backward) {
    EnumChildWindows(container, forward_visit, param);
    // The anchor was the last tab stop: wrap around to the first.
    if (n.take_next) EnumChildWindows(container, forward_visit, param);
    return;
  }
  EnumChildWindows(container, backward_visit, param);
  // No earlier tab stop: the last one (wrap-around, or the start without an anchor).
  if (!n.done && n.candidate) SetFocus(n.candidate);
}
