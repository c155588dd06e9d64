// Live window sizing: the toolkit takes over SC_SIZE so that size events reach the event loop
// while the user drags. The per-thread sizing state is registered by the first window_open; the
// sizing itself is filled in with the live-sizing work.
#include "runtime/registry.h"
#include "ui/window/window.h"
#include "ui/window/window_internal.h"

namespace {

struct SizingState {
  int32_t active;
  int32_t restore_cursor;
  POINT cursor_start;
  RECT rect;
  int32_t edge;
  MINMAXINFO limits;
};

size_t g_sizing_offset = 0;

}  // namespace

void sizing_register_slice() {
  g_sizing_offset = thread_state_register(sizeof(SizingState), nullptr, nullptr);
}

LRESULT live_sizing_step(HWND, UINT, WPARAM, LPARAM) {
  // Not taken over yet: Windows sizes windows in its own modal loop.
  return kNotHandled;
}
