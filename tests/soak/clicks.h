// Input for tests that are not about the mouse: under load a mouse click sent through Wine's X
// input path is now and then lost before it reaches the program, so buttons and the check box
// get BM_CLICK and the list its selection with the notification its parent would get, each
// once the window is enabled and no message box is open. Each helper still waits for the
// effect and tries again when it does not come; the repeats are counted so that the run
// reports them.
#pragma once

#include <windows.h>

#include <functional>

#include "support/e2e_driver.h"
#include "support/retry.h"

namespace soak {

constexpr int kClickAttempts = 3;
constexpr DWORD kSettleMs = 300;

inline int& repeated_clicks() {
  static int count = 0;
  return count;
}

// The action, counting every call after the first as a repeated click.
template <typename Action>
std::function<void()> counted(Action action) {
  return [action, calls = 0]() mutable {
    if (calls++ > 0) ++repeated_clicks();
    action();
  };
}

using e2e::wait_for;

// Waits until the program's window takes input: visible, enabled and no message box open.
inline bool ready_for_input(e2e::Pelmora& p, HWND control) {
  const HWND window = p.main_window(0);
  return wait_for(
      [&] {
        return window && IsWindowEnabled(window) && IsWindowEnabled(control) && p.no_box_for(0);
      },
      3000);
}

// Presses a button or the check box through its own message (posted: the press may open a
// message box, which must not block the test).
inline bool press(e2e::Pelmora& p, int number) {
  const HWND control = p.gadget(number);
  if (!control || !ready_for_input(p, control)) return false;
  return PostMessageA(control, BM_CLICK, 0, 0) != 0;
}

// Clicks gadget `number` until done() holds (at most kClickAttempts clicks). A click that
// arrives late must not be followed by a second one that undoes it (a check box), so the
// effect must still hold a moment after it appeared, and done() is tested before every click.
template <typename Done>
bool click_until(e2e::Pelmora& p, int number, Done done, DWORD wait_ms = 3000) {
  const auto settled = [&] {
    if (!done()) return false;
    Sleep(kSettleMs);
    return done();
  };
  if (settled()) return true;
  return test_support::click_until(
      counted([&] { press(p, number); }), [&] { return wait_for(done, wait_ms) && settled(); },
      kClickAttempts);
}

inline bool select_item(e2e::Pelmora& p, int index) {
  if (p.list_selection() == index) return true;
  return test_support::click_until(
      counted([&] {
        const HWND list = p.gadget(3);
        if (list && ready_for_input(p, list)) p.select_list_item(index);
      }),
      [&] { return wait_for([&] { return p.list_selection() == index; }, 3000); }, kClickAttempts);
}

// Clicks gadget `number` until a message box of the program shows; the box in *box.
inline bool click_for_box(e2e::Pelmora& p, int number, e2e::Box* box) {
  bool shown = false;
  // A click that arrived (the button disabled) ends the tries: a missing box is the program's.
  test_support::click_until(
      counted([&] { press(p, number); }),
      [&] { return (shown = p.wait_box(box, 8000)) || !p.enabled(number); }, kClickAttempts);
  return shown;
}

// Clicks the close box until the program ends; its exit code, or -1 when it does not end.
inline int close_program(e2e::Pelmora& p) {
  bool gone = false;
  test_support::click_until(
      counted([&] { gone = !p.click_close_box() && !p.running(); }),
      [&] { return gone || p.wait_exit(5000) != -1; }, kClickAttempts);
  return p.wait_exit(0);
}

}  // namespace soak
