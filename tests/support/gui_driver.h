// Helpers for GUI tests that drive real windows (Windows / Wine only).
//
//   wait_for_window(cls, title, ms)  polls for a top-level window of this process by class and
//                                    title (either may be null = any); usable from any thread.
//   wait_for_thread_window(thread, cls, ms)  the same for the first visible window of a thread.
//   window_text(w), message_box_text(box)   read a window's text / a message box's message.
//   press_key(vk, shift)             a real key press (the mouse: support/mouse_input_win.h).
//   pump_until(done, ms)             dispatches the calling thread's messages until done() is
//                                    true or the time is up; returns done(). pump_for(ms).
//   SentMessageRecorder              records messages sent to windows of the calling thread
//                                    (WH_CALLWNDPROC) through a callback, for its lifetime.
//   AsyncTask                        runs a function on a helper thread; joined on destruction.
//
// Every wait has a time limit: tests must never hang.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace gui {

HWND wait_for_window(const char* class_name, const char* title, DWORD timeout_ms);
HWND wait_for_thread_window(DWORD thread, const char* class_name, DWORD timeout_ms);

std::string window_text(HWND window);
std::string message_box_text(HWND box);
std::string class_name(HWND window);

void press_key(WORD vk, bool shift = false);

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
