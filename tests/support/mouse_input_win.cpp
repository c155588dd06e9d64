// Real mouse input for the tests (see mouse_input_win.h).
#include "support/mouse_input_win.h"

#include <cstdint>

namespace mouse {
namespace {

// Pause between a press and its release, and after a click, so that each reaches its window
// as a separate message. These pauses sleep whatever the caller's Idle: the button messages
// stay queued for the caller's own loop, which may turn them into events that a message loop
// of the wait would drop.
constexpr DWORD kButtonGapMs = 30;
constexpr DWORD kAfterClickMs = 50;
// A move not reported within this time is sent again.
constexpr DWORD kArriveMs = 300;
constexpr DWORD kPollMs = 15;

void pass(const Wait& wait, DWORD ms) {
  if (wait.idle) {
    wait.idle(ms);
  } else {
    Sleep(ms);
  }
}

bool at(POINT target) {
  const POINT now = position();
  return now.x == target.x && now.y == target.y;
}

bool send_button(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  return SendInput(1, &in, sizeof in) == 1;
}

// After a move: waits for the pointer to be reported at `to` and to stay there. False when it
// does not come in time or an earlier position comes back; the move is then sent again.
bool settles_at(POINT to, const Wait& wait) {
  const DWORD sent = GetTickCount();
  DWORD arrived = 0;
  bool there = false;
  while (GetTickCount() - sent < kArriveMs + wait.hold_ms) {
    pass(wait, kPollMs);
    if (!at(to)) {
      if (there || GetTickCount() - sent >= kArriveMs) return false;
      continue;
    }
    if (!there) {
      there = true;
      arrived = GetTickCount();
    }
    if (GetTickCount() - arrived >= wait.hold_ms) return true;
  }
  return false;
}

}  // namespace

LONG absolute_coordinate(int pixel, int extent) {
  if (extent <= 0) return 0;
  // The smallest coordinate that maps to the pixel: rounding up keeps it off the pixel before.
  return static_cast<LONG>((static_cast<int64_t>(pixel) * 65536 + extent - 1) / extent);
}

POINT position() {
  POINT p{};
  GetCursorPos(&p);
  return p;
}

POINT on_screen(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  return p;
}

bool send(DWORD flags, POINT to) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = absolute_coordinate(to.x, GetSystemMetrics(SM_CXSCREEN));
  in.mi.dy = absolute_coordinate(to.y, GetSystemMetrics(SM_CYSCREEN));
  in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return SendInput(1, &in, sizeof in) == 1;
}

bool press() { return send_button(MOUSEEVENTF_LEFTDOWN); }

bool release() { return send_button(MOUSEEVENTF_LEFTUP); }

bool press(POINT at) { return send(MOUSEEVENTF_LEFTDOWN, at); }

bool release(POINT at) { return send(MOUSEEVENTF_LEFTUP, at); }

void place(POINT to) {
  // Wine passes a position on to the display only when it differs from the one it last set
  // itself, and the two can disagree after quick moves: a neighbouring point first.
  SetCursorPos(to.x + 1, to.y);
  SetCursorPos(to.x, to.y);
}

bool move_to(POINT to, const Wait& wait) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < wait.limit_ms) {
    if (!send(0, to)) return false;
    if (settles_at(to, wait)) return true;
  }
  return false;
}

bool place(POINT to, const Wait& wait) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < wait.limit_ms) {
    place(to);
    if (settles_at(to, wait)) return true;
  }
  return false;
}

bool click(POINT to, const Wait& wait) {
  if (!move_to(to, wait)) return false;
  const bool pressed = press(to);
  Sleep(kButtonGapMs);
  const bool released = release(to);
  Sleep(kAfterClickMs);
  return pressed && released;
}

bool click(HWND window, const Wait& wait) {
  RECT r{};
  if (!window || !GetWindowRect(window, &r)) return false;
  return click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, wait);
}

bool double_click(POINT to, const Wait& wait) {
  if (!move_to(to, wait)) return false;
  bool sent = true;
  for (int i = 0; i < 2; ++i) {
    sent = press(to) && sent;
    Sleep(kButtonGapMs);
    sent = release(to) && sent;
    Sleep(i == 0 ? kButtonGapMs : kAfterClickMs);
  }
  return sent;
}

bool drag(POINT from, POINT to, const Wait& wait) {
  if (!move_to(from, wait)) return false;
  if (!press(from)) return false;
  // The window under the pointer takes the press (and the capture) before the moves come.
  pass(wait, 100);
  const bool moved = move_to({(from.x + to.x) / 2, (from.y + to.y) / 2}, wait) && move_to(to, wait);
  return release(to) && moved;
}

}  // namespace mouse
