// Message requester and the modal blocking around every system dialog.
#include <windows.h>
#include <commctrl.h>

#include "runtime/lock.h"
#include "runtime/registry.h"
#include "ui/requester/requester.h"

namespace {

// One visible top-level window of a thread, found by modal_enter. An entry without a window
// marks where one modal_enter began, so that nested pairs undo only their own entries.
struct ModalWindowEntry {
  DWORD thread;
  HWND window;
  uint8_t was_topmost;
  uint8_t disabled_here;
};

ListHead g_modal_list;
Lock g_modal_lock;

struct EnterScan {
  DWORD thread;
  HWND foreground;
};

BOOL CALLBACK record_window(HWND window, LPARAM param) {
  const auto* scan = reinterpret_cast<const EnterScan*>(param);
  if (GetWindowThreadProcessId(window, nullptr) != scan->thread || !IsWindowVisible(window)) {
    return TRUE;
  }
  auto* entry =
      static_cast<ModalWindowEntry*>(list_push_front(&g_modal_list, sizeof(ModalWindowEntry)));
  if (!entry) return TRUE;
  entry->thread = scan->thread;
  entry->window = window;
  entry->was_topmost = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0;
  if (window != scan->foreground && IsWindowEnabled(window)) {
    entry->disabled_here = 1;
    EnableWindow(window, FALSE);
  }
  return TRUE;
}

// Without SWP_NOACTIVATE the window would also be activated, and the requester would then be
// owned by a window that it blocks.
void set_topmost(HWND window, bool topmost) {
  SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

void requester_init() {
  INITCOMMONCONTROLSEX icc{8, 0xB48};
  InitCommonControlsEx(&icc);
}

HWND requester_owner_window() {
  HWND foreground = GetForegroundWindow();
  if (!foreground) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(foreground, &process);
  return process == GetCurrentProcessId() ? foreground : nullptr;
}

void modal_enter() {
  LockGuard guard(g_modal_lock);
  const DWORD thread = GetCurrentThreadId();
  auto* marker =
      static_cast<ModalWindowEntry*>(list_push_front(&g_modal_list, sizeof(ModalWindowEntry)));
  if (marker) marker->thread = thread;
  EnterScan scan{thread, GetForegroundWindow()};
  EnumWindows(record_window, reinterpret_cast<LPARAM>(&scan));
  for (void* p = list_first(&g_modal_list); p; p = list_next(p)) {
    auto* entry = static_cast<ModalWindowEntry*>(p);
    if (entry == marker) break;
    if (entry->thread == thread && entry->was_topmost) set_topmost(entry->window, false);
  }
}

void modal_leave() {
  LockGuard guard(g_modal_lock);
  const DWORD thread = GetCurrentThreadId();
  void* p = list_first(&g_modal_list);
  while (p) {
    auto* entry = static_cast<ModalWindowEntry*>(p);
    p = list_next(p);
    if (entry->thread != thread) continue;
    const bool marker = entry->window == nullptr;
    if (!marker) {
      if (entry->disabled_here) EnableWindow(entry->window, TRUE);
      if (entry->was_topmost) set_topmost(entry->window, true);
    }
    list_remove(&g_modal_list, entry);
    if (marker) break;
  }
}

int request_message(const char* title, const char* text, uint32_t flags) {
  modal_enter();
  HWND owner = requester_owner_window();
  int result = MessageBoxA(owner, text ? text : "", title ? title : "", flags);
  modal_leave();
  return result;
}

int request_message(const char* title, const char* text) { return request_message(title, text, 0); }
