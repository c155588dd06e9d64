// A global CBT hook for the tests: refuses the creation of the toolkit's window 0
// ("WindowClass_0"), so that a program under test meets a window that cannot be opened.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK
    veto_main_window(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) {
    char name[32] = {};
    GetClassNameA(reinterpret_cast<HWND>(wparam), name, sizeof name);
    if (lstrcmpA(name, "WindowClass_0") == 0) return 1;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}
