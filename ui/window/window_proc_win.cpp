// The toolkit window procedure: turns Win32 messages into events and offers control
// notifications to the gadget kinds.
#include "runtime/registry.h"
#include "ui/window/window.h"
#include "ui/window/window_internal.h"

namespace {

GadgetMessageHookFn g_gadget_hook = nullptr;

// State of one message being translated.
struct Translation {
  HWND hwnd;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
  HWND owner;             // window carrying GX_WindowID, from hwnd up
  intptr_t number;        // its window number, -1 when none
  WindowObject* record;   // its record, nullptr when none
  CurrentEvent* current;  // the thread's current event (never null here)
};

void queue_window_event(const Translation& t, int32_t event, intptr_t object) {
  event_post(event, object, t.number, 0);
}

bool is_own_window(const Translation& t) { return t.record && t.hwnd == t.record->handle; }

LRESULT on_size(const Translation& t) {
  if (t.hwnd != t.owner) return 1;
  if (t.number == -1 || !t.record) return kNotHandled;
  switch (t.wparam) {
    case SIZE_RESTORED:
      if (t.record->min_or_max) {
        t.record->min_or_max = 0;
        queue_window_event(t, event_restore, 0);
      }
      queue_window_event(t, event_window_sized, 0);
      break;
    case SIZE_MINIMIZED:
      t.record->min_or_max = 1;
      queue_window_event(t, event_minimise, 0);
      break;
    case SIZE_MAXIMIZED:
      t.record->min_or_max = 1;
      queue_window_event(t, event_maximise, 0);
      queue_window_event(t, event_window_sized, 0);
      break;
    default:
      queue_window_event(t, event_window_sized, 0);
      break;
  }
  return 0;
}

// Activation gives the focus back to the control that had it; deactivation remembers it and
// hides the keyboard cues. The default processing does not run, so Windows moves no focus.
LRESULT on_activate(const Translation& t) {
  if (LOWORD(t.wparam) != WA_INACTIVE) {
    if (HANDLE focus = GetPropA(t.hwnd, kPropFocus)) SetFocus(static_cast<HWND>(focus));
    if (t.record) queue_window_event(t, event_activate_window, 0);
  } else {
    SetPropA(t.hwnd, kPropFocus, GetFocus());
    keyboard_cues_set(t.hwnd, false);
  }
  return 1;
}

LRESULT on_erase_background(const Translation& t) {
  LRESULT answer = kNotHandled;
  if (t.record) {
    auto dc = reinterpret_cast<HDC>(t.wparam);
    if (t.record->background_brush) {
      RECT client;
      GetClientRect(t.hwnd, &client);
      FillRect(dc, &client, t.record->background_brush);
      answer = 1;
    } else if (is_own_window(t) && t.record->erase_hook) {
      answer = t.record->erase_hook(dc, t.hwnd);
    }
  }
  queue_window_event(t, event_repaint, 0);
  return answer;
}

BOOL CALLBACK send_syscolor_change(HWND child, LPARAM) {
  SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}

LRESULT on_min_max_info(const Translation& t) {
  if (!t.record) return kNotHandled;
  auto* info = reinterpret_cast<MINMAXINFO*>(t.lparam);
  const WindowObject& r = *t.record;
  if (r.min_width) {
    info->ptMinTrackSize.x = r.min_width;
  } else if (GetWindowLongA(t.hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) {
    info->ptMinTrackSize.x = 1;
  }
  if (r.min_height) info->ptMinTrackSize.y = r.min_height;
  if (r.max_width) info->ptMaxTrackSize.x = r.max_width;
  if (r.max_height) info->ptMaxTrackSize.y = r.max_height;
  return 0;
}

LRESULT on_command(const Translation& t) {
  auto control = reinterpret_cast<HWND>(t.lparam);
  if (gadget_message_hook(control, t.hwnd, t.message, t.wparam, t.lparam) != kNotHandled) {
    return 0;
  }
  CurrentEvent* c = t.current;
  WORD id = LOWORD(t.wparam);
  WORD code = HIWORD(t.wparam);
  if (control) {
    c->pending = event_gadget_activity;
    c->type = code;
    c->object = GetWindowLongA(control, GWL_ID);
    if (c->object == kToolbarId) {
      c->object = id;
      c->pending = event_menu;
    }
  } else if (code == 0) {
    c->object = id;
    c->pending = event_menu;
  } else if (id == kCommandFocusNext || id == kCommandFocusPrevious) {
    focus_move(id == kCommandFocusPrevious);
  } else {
    c->object = id;
    c->pending = event_menu;
  }
  return 0;
}

// An item the application added to the system menu becomes a menu event, however it was
// chosen: with the mouse, the keyboard or a WM_SYSCOMMAND posted by another program. The
// system's own commands keep their default processing.
LRESULT on_system_command(const Translation& t) {
  const UINT id = static_cast<UINT>(t.wparam) & 0xFFF0;
  if (!t.record || id == 0 || id >= kSystemCommandFirst) return kNotHandled;
  HMENU menu = GetSystemMenu(t.hwnd, FALSE);
  if (!menu || GetMenuState(menu, id, MF_BYCOMMAND) == static_cast<UINT>(-1)) return kNotHandled;
  t.current->pending = event_menu;
  t.current->object = id;
  return 0;
}

LRESULT on_tray_icon(const Translation& t) {
  int32_t type = -1;
  switch (t.lparam) {
    case WM_LBUTTONDOWN:
      type = 0;
      break;
    case WM_RBUTTONDOWN:
      type = 1;
      break;
    case WM_LBUTTONDBLCLK:
      type = 2;
      break;
    case WM_RBUTTONDBLCLK:
      type = 3;
      break;
    default:
      break;
  }
  if (type != -1) event_post(event_tray_icon, static_cast<intptr_t>(t.wparam), t.number, type);
  PostMessageA(t.hwnd, WM_NULL, 0, 0);  // wakes a waiting event_wait
  return 0;
}

// A data record arriving with a private message replaces one not yet freed.
void take_message_data(const Translation& t) {
  message_data_free(t.current);
  t.current->message_data = reinterpret_cast<EventMessageData*>(t.lparam);
}

LRESULT handle(const Translation& t) {
  CurrentEvent* c = t.current;
  switch (t.message) {
    case WM_MOVE:
      if (is_own_window(t)) queue_window_event(t, event_window_moved, t.number);
      return 0;
    case WM_SIZE:
      return on_size(t);
    case WM_ACTIVATE:
      return on_activate(t);
    case WM_CLOSE:
      if (is_own_window(t)) queue_window_event(t, event_close_window, t.number);
      return 0;
    case WM_ERASEBKGND:
      return on_erase_background(t);
    case WM_SYSCOLORCHANGE:
      if (t.record && !t.record->mdi_client) EnumChildWindows(t.hwnd, send_syscolor_change, 0);
      return kNotHandled;
    case WM_GETMINMAXINFO:
      return on_min_max_info(t);
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(t.lparam);
      return gadget_message_hook(header ? header->hwndFrom : nullptr, t.hwnd, t.message, t.wparam,
                                 t.lparam);
    }
    case WM_NCDESTROY:
      RemovePropA(t.hwnd, kPropFocus);
      return 1;
    case WM_COMMAND:
      return on_command(t);
    case WM_SYSCOMMAND:
      return on_system_command(t);
    case WM_TIMER:
      if (!t.record) return kNotHandled;
      c->pending = event_timer;
      c->object = static_cast<intptr_t>(t.wparam);
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case message_gadget:
      return gadget_message_hook(reinterpret_cast<HWND>(t.lparam), t.hwnd, t.message, t.wparam,
                                 t.lparam);
    case message_tray_icon:
      return on_tray_icon(t);
    case message_private_data:
      c->pending = event_private_data;
      take_message_data(t);
      return 0;
    case message_private_value:
      c->pending = event_private_value;
      c->object = static_cast<intptr_t>(t.wparam);
      take_message_data(t);
      return 0;
    default:
      return kNotHandled;
  }
}

// Translates one message; kNotHandled asks for the default processing.
LRESULT translate_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT sized = live_sizing_step(hwnd, message, wparam, lparam);
  if (sized != kNotHandled) return sized;

  CurrentEvent* current = current_event();
  if (!current) return kNotHandled;  // library not started
  Translation t{hwnd, message, wparam, lparam, nullptr, -1, nullptr, current};
  t.owner = window_owner_of(hwnd, &t.number);
  if (t.number != -1) {
    t.record = static_cast<WindowObject*>(object_find(windows_table(), t.number));
  }

  WindowMessageHook hook =
      t.record && t.record->message_hook ? t.record->message_hook : current->message_hook;
  if (hook) {
    LRESULT answer = hook(hwnd, message, wparam, lparam);
    if (answer != kCarryOn) return answer;
  }
  current->window = t.number;
  return handle(t);
}

}  // namespace

LRESULT CALLBACK toolkit_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT answer = translate_message(hwnd, message, wparam, lparam);
  if (message != WM_SIZE) {
    if (auto mdi_client = static_cast<HWND>(GetPropA(hwnd, kPropMdiGadget))) {
      if (answer == kNotHandled || message == WM_MENUCHAR || message == WM_SETFOCUS) {
        return DefFrameProcA(hwnd, mdi_client, message, wparam, lparam);
      }
      if (message == WM_COMMAND && lparam == 0) {
        return DefFrameProcA(hwnd, mdi_client, WM_COMMAND, wparam, 0);
      }
      return answer;
    }
  }
  if (message == WM_NCDESTROY) {
    // The default processing frees what Windows keeps for the window (its text among others).
    DefWindowProcA(hwnd, message, wparam, lparam);
  }
  SetLastError(0);
  return answer == kNotHandled ? DefWindowProcA(hwnd, message, wparam, lparam) : answer;
}

LRESULT gadget_message_hook(HWND control, HWND parent, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!control || !g_gadget_hook) return kNotHandled;
  // Only a live gadget carries GX_ID equal to its control identifier.
  auto id = reinterpret_cast<LONG_PTR>(GetPropA(control, kPropGadgetId));
  if (id != GetWindowLongA(control, GWL_ID)) return kNotHandled;
  return g_gadget_hook(control, parent, message, wparam, lparam);
}

void gadget_message_hook_install(GadgetMessageHookFn hook) { g_gadget_hook = hook; }
