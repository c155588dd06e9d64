// Helpers for GUI tests that drive real windows (Windows / Wine only).
//
//   wait_for_window(cls, title, ms)  polls for a top-level window of this process by class and
//                                    title (either may be null = any); usable from any thread.
//   wait_for_thread_window(thread, cls, ms)  the same for the first visible window of a thread.
//   window_text(w), message_box_text(box)   read a window's text / a message box's message.
//   press_key(vk, held, pause)       a real key press (the mouse: support/mouse_input_win.h);
//   press_keys({vk, ...})            several, one after the other, in one batch.
//   bring_to_front(w, pump)          makes w the foreground window, pumping with pump(ms).
//   pump_until(done, ms)             dispatches the calling thread's messages until done() is
//                                    true or the time is up; returns done(). pump_for(ms).
//   SentMessageRecorder              records messages sent to windows of the calling thread
//                                    (WH_CALLWNDPROC) through a callback, for its lifetime.
//   ForeignWindow                    a window of another thread, as another program's.
//   AsyncTask                        runs a function on a helper thread; joined on destruction.
//
// Every wait has a time limit: tests must never hang.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>

namespace gui {

// A window handle that the toolkit returned as a number.
inline HWND as_handle(intptr_t number) { return reinterpret_cast<HWND>(number); }

// Calls visit(w) for the top-level windows of every process until it returns true; that window,
// or nullptr when none.
HWND find_top_window(const std::function<bool(HWND)>& visit);
HWND wait_for_window(const char* class_name, const char* title, DWORD timeout_ms);
HWND wait_for_thread_window(DWORD thread, const char* class_name, DWORD timeout_ms);

std::string window_text(HWND window);
std::string message_box_text(HWND box);
std::string class_name(HWND window);

// A real key press, down and up, with `held` (VK_SHIFT, VK_MENU; 0 for none) held around it.
// With `pause_ms` each input is sent alone with that pause after it; otherwise all in one batch,
// so that nothing comes between them. False when the system refused an input.
bool press_key(WORD vk, WORD held = 0, DWORD pause_ms = 0);
// Presses and releases each key in turn, in one batch.
bool press_keys(std::initializer_list<WORD> keys);

// Dispatches the calling thread's messages for about `ms` (the test's own event loop).
using Pump = std::function<void(DWORD ms)>;
// Makes `window` the foreground and active window (false after the time limit), then lets the
// display catch up with its place before real input is aimed at it.
bool bring_to_front(HWND window, const Pump& pump);

bool pump_until(const std::function<bool()>& done, DWORD timeout_ms);
void pump_for(DWORD ms);

// Records, through `on_message`, every message sent to a window of the calling thread while the
// recorder lives. One recorder per thread at a time.
class SentMessageRecorder {
 public:
  explicit SentMessageRecorder(std::function<void(const CWPSTRUCT&)> on_message);
  ~SentMessageRecorder();
  SentMessageRecorder(const SentMessageRecorder&) = delete;
  SentMessageRecorder& operator=(const SentMessageRecorder&) = delete;

 private:
  HHOOK hook_;
};

// A window of another thread, standing in for another program: made (and with `to_front`
// brought to the front) and served by a thread of its own, destroyed with the object.
class ForeignWindow {
 public:
  ForeignWindow(const char* title, DWORD style, RECT place, bool to_front);
  ~ForeignWindow();
  ForeignWindow(const ForeignWindow&) = delete;
  ForeignWindow& operator=(const ForeignWindow&) = delete;
  HWND window() const { return window_; }

 private:
  std::atomic<HWND> window_{nullptr};
  std::atomic<DWORD> thread_id_{0};
  std::thread thread_;
};

// Runs `work` on a new thread; the destructor waits for it.
class AsyncTask {
 public:
  explicit AsyncTask(std::function<void()> work) : thread_(std::move(work)) {}
  ~AsyncTask() {
    if (thread_.joinable()) thread_.join();
  }
  AsyncTask(const AsyncTask&) = delete;
  AsyncTask& operator=(const AsyncTask&) = delete;

 private:
  std::thread thread_;
};

}  // namespace gui
