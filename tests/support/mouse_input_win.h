// Real mouse input for the GUI and end-to-end tests: the one place that moves the pointer and
// presses its left button (SendInput, SetCursorPos). Positions are screen pixels.
//
//   move_to(p)            moves the pointer and waits until the system reports it there and it
//                         stays there (with a time limit); click(p or window),
//                         double_click(p) and drag(from, to) move that way before they press.
//   send(flags, p)        one event that moves to p and does `flags` there, nothing awaited:
//                         for tests about the exact input (a sizing border dragged step by step).
//   press(p), release(p)  the left button at p, the position carried by the event itself;
//   press(), release()    the same where the pointer is.
//   place(p)              sets the pointer without input events; place(p, wait) then waits
//                         as move_to does.
//
// Under Wine a move reaches the display asynchronously, and for a while the position reported
// can jump back to an earlier one; a button pressed before the pointer has settled lands in the
// wrong place. Hence every move that a press follows is awaited, and the press carries its
// position: Wine may still hold an earlier position for a button event without one even when
// the pointer is reported at the target.
#pragma once

#include <windows.h>

#include <functional>

namespace mouse {

// How a wait passes `ms` milliseconds. Empty: Sleep, which leaves the calling thread's messages
// queued. A thread whose windows must keep running passes its own message loop.
using Idle = std::function<void(DWORD ms)>;

struct Wait {
  Idle idle;
  // How long the pointer must stay at the target before a move counts as done.
  DWORD hold_ms = 150;
  // Time limit of one move_to, resends included.
  DWORD limit_ms = 5000;
};

POINT position();
// A point of a window's client area on the screen.
POINT on_screen(HWND window, int x, int y);

bool send(DWORD flags, POINT at);
bool press(POINT at);
bool release(POINT at);
bool press();
bool release();
void place(POINT at);
bool place(POINT at, const Wait& wait);

bool move_to(POINT at, const Wait& wait = {});
bool click(POINT at, const Wait& wait = {});
// The middle of a window; false when the window does not exist.
bool click(HWND window, const Wait& wait = {});
bool double_click(POINT at, const Wait& wait = {});
// Presses at `from`, moves halfway and then to `to`, releases there.
bool drag(POINT from, POINT to, const Wait& wait = {});

// The absolute coordinate (0..65535) whose pixel is exactly `pixel` on a screen `extent` pixels
// wide: the system maps a coordinate c to floor(c * extent / 65536).
LONG absolute_coordinate(int pixel, int extent);

}  // namespace mouse
