// On-demand loading of the system libraries that start-up does not need.
#include <windows.h>

#include "runtime/system_libraries.h"

namespace {

constexpr int32_t kFailed = static_cast<int32_t>(0x80004005);   // E_FAIL

// The thread whose start-up asked for COM, and whether it has it yet.
DWORD g_com_thread = 0;
volatile LONG g_com_started = 0;

template <typename Fn>
Fn ole32_function(const char* name) {
  return reinterpret_cast<Fn>(system_function("ole32.dll", name));
}

}  // namespace

void* system_function(const char* library, const char* name) {
  // GetModuleHandleA first: a library loaded already (by us or by the system) is not loaded again.
  HMODULE module = GetModuleHandleA(library);
  if (!module) module = LoadLibraryA(library);
  if (!module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(module, name));
}

void com_start_later() { g_com_thread = GetCurrentThreadId(); }

void com_use() {
  if (g_com_thread == 0 || GetCurrentThreadId() != g_com_thread) return;
  if (InterlockedExchange(&g_com_started, 1) != 0) return;
  com_initialize();
}

int32_t com_initialize() {
  using Fn = HRESULT(WINAPI*)(void*);
  static Fn initialize = ole32_function<Fn>("CoInitialize");
  return initialize ? initialize(nullptr) : kFailed;
}

void com_task_mem_free(void* block) {
  using Fn = void(WINAPI*)(void*);
  static Fn release = ole32_function<Fn>("CoTaskMemFree");
  if (release && block) release(block);
}

void com_revoke_drag_drop(void* window) {
  using Fn = HRESULT(WINAPI*)(HWND);
  static Fn revoke = ole32_function<Fn>("RevokeDragDrop");
  if (revoke) revoke(static_cast<HWND>(window));
}

