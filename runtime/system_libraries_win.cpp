// On-demand loading of the system libraries that start-up does not need.
#include <windows.h>

#include "runtime/system_libraries.h"

namespace {

constexpr int32_t kFailed = static_cast<int32_t>(0x80004005);  // E_FAIL

template <typename Fn>
Fn ole32_function(const char* name) {
  return reinterpret_cast<Fn>(system_function("ole32.dll", name));
}

}  // namespace

void* system_function(const char* library, const char* name) {
  // A library loaded already (by us or by the system) is not loaded again.
  HMODULE module = GetModuleHandleA(library);
  if (!module) module = LoadLibraryA(library);
  if (!module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(module, name));
}

int32_t com_initialize() {
  using Fn = HRESULT(WINAPI*)(void*);
  static const Fn initialize = ole32_function<Fn>("CoInitialize");
  return initialize ? initialize(nullptr) : kFailed;
}

void com_task_mem_free(void* block) {
  using Fn = void(WINAPI*)(void*);
  static const Fn release = ole32_function<Fn>("CoTaskMemFree");
  if (release && block) release(block);
}

void com_revoke_drag_drop(void* window) {
  using Fn = HRESULT(WINAPI*)(HWND);
  static const Fn revoke = ole32_function<Fn>("RevokeDragDrop");
  if (revoke) revoke(static_cast<HWND>(window));
}
