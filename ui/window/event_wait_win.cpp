// The event wait: queued events first, then one Win32 message dispatched per call.
#include "ui/window/window.h"
#include "ui/window/window_internal.h"

namespace {

// Takes one message for any window of the thread; false when none came in time.
bool fetch_message(int32_t milliseconds, MSG* msg) {
  if (milliseconds < 0) {
    // WM_QUIT is not special here: it is dispatched and returned like any other message.
    return GetMessageA(msg, nullptr, 0, 0) != -1;
  }
  constexpr UINT kPeek = PM_REMOVE | PM_NOYIELD;
  if (PeekMessageA(msg, nullptr, 0, 0, kPeek)) return true;
  if (milliseconds == 0) return false;
  DWORD woke = MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds),
                                         QS_ALLINPUT | QS_ALLPOSTMESSAGE);
  if (woke == WAIT_TIMEOUT) return false;
  return PeekMessageA(msg, nullptr, 0, 0, kPeek) != 0;
}

// While a window is being sized, the keys that steer the sizing go to that window even when
// one of its controls has the focus.
void route_sizing_keys(MSG* msg) {
  if (msg->message != WM_KEYDOWN) return;
  switch (msg->wParam) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RETURN:
    case VK_ESCAPE:
      if (HWND sized = sizing_window()) msg->hwnd = sized;
      break;
    default:
      break;
  }
}

void dispatch(MSG* msg) {
  route_sizing_keys(msg);
  HWND active = GetActiveWindow();
  HACCEL table = accelerator_table_for(active);
  if (table && TranslateAcceleratorA(active, table, msg)) {
    if (active) keyboard_cues_set(active, true);
    return;
  }
  TranslateMessage(msg);
  DispatchMessageA(msg);
}

void snapshot(CurrentEvent* c) {
  c->last_object = c->object;
  c->last_window = c->window;
  c->last_type = c->type;
  c->last_pending = c->pending;
  c->last_wparam = c->wparam;
  c->last_lparam = c->lparam;
  c->last_data = c->data;
  c->last_data_release = c->data_release;
}

}  // namespace

int32_t event_wait_timed(int32_t milliseconds) {
  CurrentEvent* c = current_event();
  if (!c) return 0;
  if (c->last_data && c->last_data_release) c->last_data_release(c->last_data);
  c->last_data = nullptr;
  c->last_data_release = nullptr;
  message_data_free(c);
  c->type = -1;
  c->pending = 0;
  c->data = nullptr;
  c->data_release = nullptr;

  int32_t result = event_pop(&c->object, &c->window, &c->type, &c->data, &c->data_release);
  if (result != 0) {
    c->pending = result;
    c->wparam = 0;
    c->lparam = 0;
  } else {
    MSG msg;
    if (!fetch_message(milliseconds, &msg)) return 0;
    dispatch(&msg);
    if (c->pending != 0) {
      result = c->pending;
      c->pending = 0;
    } else {
      result = static_cast<int32_t>(msg.message);
      c->wparam = msg.wParam;
      c->lparam = msg.lParam;
    }
  }
  snapshot(c);
  return result;
}

int32_t event_wait() { return event_wait_timed(-1); }

intptr_t event_gadget() {
  CurrentEvent* c = current_event();
  return c ? c->last_object : 0;
}

intptr_t event_window() {
  CurrentEvent* c = current_event();
  return c ? c->last_window : -1;
}

int32_t event_type() {
  CurrentEvent* c = current_event();
  return c ? c->last_type : -1;
}

void* event_data() {
  CurrentEvent* c = current_event();
  return c ? c->last_data : nullptr;
}

WPARAM event_wparam() {
  CurrentEvent* c = current_event();
  return c ? c->last_wparam : 0;
}

LPARAM event_lparam() {
  CurrentEvent* c = current_event();
  return c ? c->last_lparam : 0;
}
