// GUI test helpers (see gui_driver.h).
#include "support/gui_driver.h"

#include <vector>

namespace gui {
namespace {

struct Search {
  DWORD process;
  DWORD thread;  // 0 = any thread of the process
  const char* class_name;
  const char* title;
  HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  DWORD thread = GetWindowThreadProcessId(window, &process);
  if (process != s->process || (s->thread && thread != s->thread)) return TRUE;
  if (s->thread && !IsWindowVisible(window)) return TRUE;
  if (s->class_name && class_name(window) != s->class_name) return TRUE;
  if (s->title && window_text(window) != s->title) return TRUE;
  s->found = window;
  return FALSE;
}

HWND poll(Search search, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    search.found = nullptr;
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
    if (search.found || GetTickCount() - start >= timeout_ms) return search.found;
    Sleep(20);
  }
}

thread_local std::function<void(const CWPSTRUCT&)>* t_on_message = nullptr;

LRESULT CALLBACK record_sent(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && t_on_message) (*t_on_message)(*reinterpret_cast<CWPSTRUCT*>(lparam));
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

INPUT key_input(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

}  // namespace

HWND wait_for_window(const char* class_name, const char* title, DWORD timeout_ms) {
  return poll(Search{GetCurrentProcessId(), 0, class_name, title, nullptr}, timeout_ms);
}

HWND wait_for_thread_window(DWORD thread, const char* class_name, DWORD timeout_ms) {
  return poll(Search{GetCurrentProcessId(), thread, class_name, nullptr, nullptr}, timeout_ms);
}

std::string window_text(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string message_box_text(HWND box) {
  char text[1024] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

std::string class_name(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

void press_key(WORD vk, bool shift) {
  std::vector<INPUT> inputs;
  if (shift) inputs.push_back(key_input(VK_SHIFT, false));
  inputs.push_back(key_input(vk, false));
  inputs.push_back(key_input(vk, true));
  if (shift) inputs.push_back(key_input(VK_SHIFT, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool pump_until(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeout_ms) return done();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void pump_for(DWORD ms) {
  pump_until([] { return false; }, ms);
}

SentMessageRecorder::SentMessageRecorder(std::function<void(const CWPSTRUCT&)> on_message)
    : hook_(nullptr) {
  t_on_message = new std::function<void(const CWPSTRUCT&)>(std::move(on_message));
  hook_ = SetWindowsHookExA(WH_CALLWNDPROC, record_sent, nullptr, GetCurrentThreadId());
}

SentMessageRecorder::~SentMessageRecorder() {
  if (hook_) UnhookWindowsHookEx(hook_);
  delete t_on_message;
  t_on_message = nullptr;
}

}  // namespace gui
