// A minimal Win32 program: one window with one list box holding the names of the *.jar files in
// the "jar" folder of the current directory, and a message loop until the window is closed.
#include <windows.h>

namespace {

LRESULT CALLBACK floor_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

void fill(HWND list) {
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA("jar\\*.jar", &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  do {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.cFileName));
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = floor_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "PelmoraFloor";
  if (!RegisterClassA(&wc)) return 1;
  const HWND window =
      CreateWindowExA(0, "PelmoraFloor", "Floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 337, 189,
                      263, 292, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  const HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, 10, 10, 230,
                                    200, window, nullptr, instance, nullptr);
  fill(list);
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
