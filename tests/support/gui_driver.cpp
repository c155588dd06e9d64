// GUI test helpers (see gui_driver.h).
#include "support/gui_driver.h"

#include <utility>
#include <vector>

namespace gui {
namespace {

struct Search {
  DWORD process;
  DWORD thread;  // 0 = any thread of the process
  const char* class_name;
  const char* title;
};

bool matches(HWND window, const Search& s) {
  DWORD process = 0;
  DWORD thread = GetWindowThreadProcessId(window, &process);
  if (process != s.process || (s.thread && thread != s.thread)) return false;
  if (s.thread && !IsWindowVisible(window)) return false;
  if (s.class_name && class_name(window) != s.class_name) return false;
  return !s.title || window_text(window) == s.title;
}

HWND poll(const Search& search, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    const HWND found = find_top_window([&](HWND w) { return matches(w, search); });
    if (found || GetTickCount() - start >= timeout_ms) return found;
    Sleep(20);
  }
}

BOOL CALLBACK visit_window(HWND window, LPARAM param) {
  auto* visit = reinterpret_cast<std::pair<const std::function<bool(HWND)>*, HWND>*>(param);
  if (!(*visit->first)(window)) return TRUE;
  visit->second = window;
  return FALSE;
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

bool send_keys(const std::vector<INPUT>& inputs, DWORD pause_ms) {
  if (pause_ms == 0) {
    return SendInput(static_cast<UINT>(inputs.size()), const_cast<INPUT*>(inputs.data()),
                     sizeof(INPUT)) == inputs.size();
  }
  bool sent = true;
  for (INPUT in : inputs) {
    sent = SendInput(1, &in, sizeof(INPUT)) == 1 && sent;
    Sleep(pause_ms);
  }
  return sent;
}

}  // namespace

HWND find_top_window(const std::function<bool(HWND)>& visit) {
  std::pair<const std::function<bool(HWND)>*, HWND> search{&visit, nullptr};
  EnumWindows(visit_window, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

HWND wait_for_window(const char* class_name, const char* title, DWORD timeout_ms) {
  return poll(Search{GetCurrentProcessId(), 0, class_name, title}, timeout_ms);
}

HWND wait_for_thread_window(DWORD thread, const char* class_name, DWORD timeout_ms) {
  return poll(Search{GetCurrentProcessId(), thread, class_name, nullptr}, timeout_ms);
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

bool press_key(WORD vk, WORD held, DWORD pause_ms) {
  std::vector<INPUT> inputs;
  if (held) inputs.push_back(key_input(held, false));
  inputs.push_back(key_input(vk, false));
  inputs.push_back(key_input(vk, true));
  if (held) inputs.push_back(key_input(held, true));
  return send_keys(inputs, pause_ms);
}

bool press_keys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD vk : keys) {
    inputs.push_back(key_input(vk, false));
    inputs.push_back(key_input(vk, true));
  }
  return send_keys(inputs, 0);
}

bool bring_to_front(HWND window, const Pump& pump) {
  for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i) {
    SetForegroundWindow(window);
    SetActiveWindow(window);
    pump(20);
  }
  if (GetForegroundWindow() != window) return false;
  pump(300);
  return true;
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

ForeignWindow::ForeignWindow(const char* title, DWORD style, RECT place, bool to_front) {
  thread_ = std::thread([=] {
    const HWND window =
        CreateWindowExA(0, "STATIC", title, style, place.left, place.top, place.right - place.left,
                        place.bottom - place.top, nullptr, nullptr, nullptr, nullptr);
    if (to_front) SetForegroundWindow(window);
    window_ = window;
    thread_id_ = GetCurrentThreadId();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    DestroyWindow(window);
  });
  pump_until([&] { return thread_id_.load() != 0; }, 5000);
}

ForeignWindow::~ForeignWindow() {
  while (!PostThreadMessageA(thread_id_, WM_QUIT, 0, 0)) Sleep(10);
  thread_.join();
}

}  // namespace gui
