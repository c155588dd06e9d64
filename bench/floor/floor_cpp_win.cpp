// The fair floor for the binary size: the minimal window program of floor_window_win.cpp, but
// keeping the jar names in std::string, std::vector and std::map as a C++ program would. What the
// same toolchain and flags make of it is the fixed cost of the static C++ runtime.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK floor_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

std::vector<std::string> jar_names(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA((folder + "\\*.jar").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.emplace_back(entry.cFileName);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

void fill(HWND list, const std::vector<std::string>& names) {
  // Sorted and without duplicates, through a map from name to its position in the listing.
  std::map<std::string, size_t> order;
  for (size_t i = 0; i < names.size(); ++i) order.emplace(names[i], i);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  for (const auto& name : order) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.first.c_str()));
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = floor_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "PelmoraFloorCpp";
  if (!RegisterClassA(&wc)) return 1;
  const HWND window =
      CreateWindowExA(0, wc.lpszClassName, "Floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 337,
                      189, 263, 292, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  const HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, 10, 10, 230,
                                    200, window, nullptr, instance, nullptr);
  fill(list, jar_names("jar"));
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
