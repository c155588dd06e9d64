// The end-to-end driver (see e2e_driver.h).
#include "support/e2e_driver.h"

#include "support/gui_driver.h"
#include "support/mouse_input_win.h"
#include "support/retry.h"
#include "support/scratch_folder_win.h"
#include "support/wine_path.h"

#include <commctrl.h>
#include <objidl.h>  // before gdiplus.h, which needs PROPID
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace e2e {
namespace {

constexpr int kChooserTitleId = 14146;  // static line with the caller's title
constexpr int kChooserFolderEditId = 14149;
constexpr int kMessageTextId = 0xFFFF;  // a message box's text

// Every time limit of the driver is multiplied by PELMORA_E2E_TIME_SCALE (a whole number), for a
// program that runs many times slower than usual (emulated).
DWORD time_scale() {
  static const DWORD factor = [] {
    char value[16] = {};
    GetEnvironmentVariableA("PELMORA_E2E_TIME_SCALE", value, sizeof value);
    const long n = std::strtol(value, nullptr, 10);
    return n > 1 && n < 1000 ? static_cast<DWORD>(n) : 1u;
  }();
  return factor;
}

DWORD scaled(DWORD ms) { return ms == INFINITE ? ms : ms * time_scale(); }

// "ListBox 3 in "<title>"": the class, the control number and the top-level window's title.
// The title is the system's copy: GetWindowTextA would ask a window of this process with a
// message that has no time limit.
std::string describe(HWND window) {
  std::string text = gui::class_name(window);
  const HWND top = GetAncestor(window, GA_ROOT);
  if (top != window) text += " " + std::to_string(GetDlgCtrlID(window)) + " in";
  WCHAR wide[256] = {};
  InternalGetWindowText(top, wide, 256);
  char title[512] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, title, sizeof title, nullptr, nullptr);
  return text + " \"" + title + "\"";
}

LRESULT read_window_any(HWND window, UINT message, WPARAM wparam, LPARAM lparam, const char* what,
                        LRESULT gone, DWORD limit_ms, bool wide) {
  if (!window || !IsWindow(window)) return gone;
  DWORD_PTR result = 0;
  // An emulated program is often slow enough to count as hung: it is then waited for.
  const UINT flags = SMTO_BLOCK | (time_scale() == 1 ? SMTO_ABORTIFHUNG : 0);
  limit_ms = scaled(limit_ms);
  const LRESULT sent =
      wide ? SendMessageTimeoutW(window, message, wparam, lparam, flags, limit_ms, &result)
           : SendMessageTimeoutA(window, message, wparam, lparam, flags, limit_ms, &result);
  if (sent) return static_cast<LRESULT>(result);
  const DWORD error = GetLastError();
  if (!IsWindow(window)) return gone;
  throw Unanswered("the program did not answer " + std::string(what) + " to " + describe(window) +
                   " within " + std::to_string(limit_ms) + " ms (error " + std::to_string(error) +
                   ")");
}

// The first visible top-level window of the process that `match` accepts.
HWND find_window(DWORD process, const std::function<bool(HWND)>& match) {
  return gui::find_top_window([&](HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == process && IsWindowVisible(window) && match(window);
  });
}

bool is_message_box(HWND window) {
  return gui::class_name(window) == "#32770" && GetDlgItem(window, kMessageTextId) != nullptr;
}

HWND find_child_of_class(HWND parent, const char* class_name) {
  return FindWindowExA(parent, nullptr, class_name, nullptr);
}

// Clicks the middle of a window, but only when that point shows a window of the same process:
// a stray window on top would otherwise take the click.
bool click_centre(HWND window) {
  RECT r;
  if (!window) return false;
  // Wait for the state the click needs: the control enabled and shown, its window in front.
  const HWND top = GetAncestor(window, GA_ROOT);
  if (!wait_for(
          [&] {
            if (!IsWindowEnabled(window) || !IsWindowVisible(window)) return false;
            if (GetForegroundWindow() == top) return true;
            SetForegroundWindow(top);
            return false;
          },
          3000)) {
    return false;
  }
  if (!GetWindowRect(window, &r)) return false;
  const POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  DWORD target = 0, shown = 0;
  GetWindowThreadProcessId(window, &target);
  GetWindowThreadProcessId(WindowFromPoint(p), &shown);
  if (target != shown) return false;
  return mouse::click(p);
}

bool save_png(HBITMAP bitmap, const std::string& path) {
  using namespace Gdiplus;
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (GdiplusStartup(&token, &input, nullptr) != Ok) return false;
  // The PNG encoder's class identifier.
  const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  GpBitmap* image = nullptr;
  bool saved = false;
  if (DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) == Ok) {
    std::wstring wide(path.begin(), path.end());
    saved = DllExports::GdipSaveImageToFile(image, wide.c_str(), &png, nullptr) == Ok;
    DllExports::GdipDisposeImage(image);
  }
  GdiplusShutdown(token);
  return saved;
}

}  // namespace

LRESULT read_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam, const char* what,
                    LRESULT gone, DWORD limit_ms) {
  return read_window_any(window, message, wparam, lparam, what, gone, limit_ms, false);
}

std::string read_text(HWND window, DWORD limit_ms) {
  char text[4096] = {};
  read_window(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), "WM_GETTEXT", 0,
              limit_ms);
  return text;
}

std::string pelmora_exe() {
  // The shipped program's scenarios point the driver at another build of it.
  char other[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("PELMORA_E2E_EXE", other, sizeof other);
  if (length > 0 && length < sizeof other) return test_support::wine_path(other);
  return test_support::wine_path(PELMORA_EXE_UNIX_PATH);
}

std::string helper_exe(const char* name) { return test_support::beside_this_program(name); }

std::string screenshot_folder() {
  const std::string folder = test_support::beside_this_program("screenshots\\");
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string unix_path(const std::string& windows_path) {
  using UnixName = char*(CDECL*)(const WCHAR*);
  const auto convert = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return "";
  WCHAR wide[MAX_PATH * 2] = {};
  MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, wide, MAX_PATH * 2);
  char* unix = convert(wide);
  if (!unix) return "";
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

bool run_unix(const std::string& command, DWORD limit_ms) {
  // Wine gives no waitable handle for a Unix process, so the command marks its end with a file.
  static int counter = 0;
  const std::string done = "/tmp/pelmora-e2e-done-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(++counter);
  if (!Program().start(nullptr, "/bin/sh -c \"" + command + "; echo $? >" + done + "\"")) {
    return false;
  }
  const std::string marker = test_support::wine_path(done);
  const bool ended = wait_for([&] { return exists(marker); }, limit_ms);
  const bool succeeded = ended && wait_for([&] { return read_file(marker) == "0\n"; }, 1000);
  DeleteFileA(marker.c_str());
  return succeeded;
}

ReadOnlyFolder::ReadOnlyFolder(const std::string& folder) : folder_(folder) {
  std::string trimmed = folder;
  if (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  unix_ = unix_path(trimmed);
  if (unix_.empty()) {
    why_ = "not running under Wine: no read-only bind mount";
    return;
  }
  run_unix("mount --bind '" + unix_ + "' '" + unix_ + "' && mount -o remount,ro,bind '" + unix_ +
           "'");
  mounted_ = true;
  // Whatever the mount command reported, the folder counts as read-only only if a file cannot
  // be created in it.
  const std::string probe = folder_ + "probe.tmp";
  if (win::Handle(CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr))) {
    DeleteFileA(probe.c_str());
    why_ = "a read-only bind mount is not permitted here (mount needs root or CAP_SYS_ADMIN)";
    return;
  }
  ok_ = true;
}

ReadOnlyFolder::~ReadOnlyFolder() {
  if (mounted_) run_unix("mountpoint -q '" + unix_ + "' && umount '" + unix_ + "'");
}

FileHolder::FileHolder(const std::string& path, bool game_sharing) {
  static int counter = 0;
  const std::string id = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  const std::string ready_name = "pelmora-e2e-ready-" + id;
  const std::string release_name = "pelmora-e2e-release-" + id;
  ready_.reset(CreateEventA(nullptr, TRUE, FALSE, ready_name.c_str()));
  release_.reset(CreateEventA(nullptr, TRUE, FALSE, release_name.c_str()));
  const std::string line = "\"" + helper_exe("file_holder.exe") + "\" \"" + path + "\" " +
                           ready_name + " " + release_name + (game_sharing ? " shared" : "");
  if (!holder_.start(nullptr, line, CREATE_NO_WINDOW)) return;
  const HANDLE waits[2] = {ready_.get(), holder_.process()};
  ok_ = WaitForMultipleObjects(2, waits, FALSE, 15000) == WAIT_OBJECT_0;
}

void FileHolder::release() {
  if (release_) SetEvent(release_.get());
  if (holder_.process()) WaitForSingleObject(holder_.process(), 15000);
  holder_ = Program();
}

FileHolder::~FileHolder() { release(); }

WebHandlerRecorder::WebHandlerRecorder(const std::string& record_file, const char* handler_class)
    : key_(std::string(handler_class) + "\\shell\\open\\command") {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key_.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  char old[2048] = {};
  DWORD size = sizeof old;
  DWORD type = 0;
  if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
      ERROR_SUCCESS) {
    had_old_ = true;
    old_ = old;
  }
  const std::string command =
      "\"" + helper_exe("url_recorder.exe") + "\" \"" + record_file + "\" \"%1\"";
  ok_ = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
}

WebHandlerRecorder::~WebHandlerRecorder() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key_.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  if (had_old_) {
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                   static_cast<DWORD>(old_.size() + 1));
  } else {
    RegDeleteValueA(key, nullptr);
  }
  RegCloseKey(key);
}

SYSTEMTIME local_now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  now.wMilliseconds = 0;
  return now;
}

SYSTEMTIME add_seconds(const SYSTEMTIME& time, int seconds) {
  FILETIME file;
  SystemTimeToFileTime(&time, &file);
  ULARGE_INTEGER value;
  value.LowPart = file.dwLowDateTime;
  value.HighPart = file.dwHighDateTime;
  value.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(seconds) * 10000000LL);
  file.dwLowDateTime = value.LowPart;
  file.dwHighDateTime = value.HighPart;
  SYSTEMTIME result;
  FileTimeToSystemTime(&file, &result);
  return result;
}

std::vector<std::string> stamps_between(const SYSTEMTIME& from, const SYSTEMTIME& to) {
  std::vector<std::string> stamps;
  for (SYSTEMTIME t = from;; t = add_seconds(t, 1)) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u_%02u_%04u_%02u_%02u_%02u", t.wDay, t.wMonth, t.wYear,
                  t.wHour, t.wMinute, t.wSecond);
    stamps.push_back(text);
    FILETIME a, b;
    SystemTimeToFileTime(&t, &a);
    SystemTimeToFileTime(&to, &b);
    if (CompareFileTime(&a, &b) >= 0 || stamps.size() > 600) break;
  }
  return stamps;
}

Pelmora::Pelmora(const std::string& folder) {
  const std::string exe = pelmora_exe();
  // Wine's process creation now and then fails once on a loaded machine (seen once in a
  // 20-run soak); the program is not what such a failure tests, so the start is tried again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (program_.start(exe.c_str(), "\"" + exe + "\"", 0, folder.c_str())) return;
    start_error_ = GetLastError();
    Sleep(500);
  }
}

Pelmora::~Pelmora() {
  if (running()) {
    TerminateProcess(program_.process(), 99);
    WaitForSingleObject(program_.process(), 10000);
  }
}

HWND Pelmora::main_window(DWORD timeout_ms) {
  if (main_ && IsWindow(main_)) return main_;
  wait_for(
      [&] {
        main_ = find_window(program_.process_id(),
                            [](HWND w) { return gui::class_name(w) == "WindowClass_0"; });
        return main_ != nullptr;
      },
      timeout_ms);
  return main_;
}

HWND Pelmora::gadget(int number) {
  HWND found = main_ ? GetDlgItem(main_, number) : nullptr;
  if (!found && restore_ && IsWindow(restore_)) found = GetDlgItem(restore_, number);
  return found;
}

HWND Pelmora::restore_window(DWORD timeout_ms, int number) {
  const std::string window_class = "WindowClass_" + std::to_string(number);
  if (restore_ && IsWindow(restore_) && IsWindowVisible(restore_) &&
      gui::class_name(restore_) == window_class) {
    return restore_;
  }
  restore_ = nullptr;
  wait_for(
      [&] {
        restore_ = find_window(program_.process_id(),
                               [&](HWND w) { return gui::class_name(w) == window_class; });
        return restore_ != nullptr;
      },
      timeout_ms);
  if (restore_) {
    // A sent message is taken only once the program waits for messages again, that is once it
    // has made the window's gadgets and filled its list; then a moment for the drawing.
    read_window(restore_, WM_NULL, 0, 0, "WM_NULL", 0);
    Sleep(150);
  }
  return restore_;
}

bool Pelmora::restore_window_gone(DWORD timeout_ms, int number) {
  const std::string window_class = "WindowClass_" + std::to_string(number);
  return wait_for(
      [&] {
        return find_window(program_.process_id(),
                           [&](HWND w) { return gui::class_name(w) == window_class; }) == nullptr;
      },
      timeout_ms);
}

bool Pelmora::drop_files(const std::vector<std::string>& paths) {
  if (GetEnvironmentVariableA("PELMORA_E2E_X_DROP", nullptr, 0) != 0 &&
      GetPropA(main_, "__wine_x11_whole_window")) {
    return drop_files_by_x(paths);
  }
  struct DropHeader {  // DROPFILES
    DWORD files_offset;
    POINT point;
    BOOL non_client;
    BOOL wide;
  };
  DropHeader header{sizeof(DropHeader), {10, 10}, FALSE, FALSE};
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  for (const std::string& path : paths) block += path + '\0';
  block += '\0';
  void* remote = VirtualAllocEx(program_.process(), nullptr, block.size(), MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  if (!remote ||
      !WriteProcessMemory(program_.process(), remote, block.data(), block.size(), nullptr)) {
    return false;
  }
  return main_ && PostMessageA(main_, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) != FALSE;
}

bool Pelmora::drop_files_by_x(const std::vector<std::string>& paths) {
  // Wine keeps the X window of each top-level window in this property.
  const auto x_window = reinterpret_cast<UINT_PTR>(GetPropA(main_, "__wine_x11_whole_window"));
  RECT area;
  if (!x_window || !GetWindowRect(main_, &area)) return false;
  // Dropped on the title bar: Wine hands a drop to the deepest child under the point, and the
  // files are window 0's whatever gadget lies there.
  std::string command = std::string("/usr/bin/python3 ") + PELMORA_XDND_DROP_UNIX_PATH + " " +
                        std::to_string(x_window) + " " +
                        std::to_string((area.left + area.right) / 2) + " " +
                        std::to_string(area.top + 8);
  for (const std::string& path : paths) command += " '" + unix_path(path) + "'";
  return run_unix(command, 60000);
}

bool Pelmora::system_command(unsigned id) {
  return main_ && PostMessageA(main_, WM_SYSCOMMAND, id, 0) != FALSE;
}

bool Pelmora::open_system_menu() {
  const auto menu_shown = [&] {
    return find_window(program_.process_id(),
                       [](HWND w) { return gui::class_name(w) == "#32768"; }) != nullptr;
  };
  if (!main_window()) return false;
  return test_support::click_until(
      [&] {
        SetForegroundWindow(main_);
        if (wait_for([&] { return GetForegroundWindow() == main_; }, 3000)) {
          press_key(VK_SPACE, true);
        }
      },
      [&] {
        if (wait_for(menu_shown, 2000)) return true;
        press_key(VK_ESCAPE);
        return false;
      },
      3);
}

HWND Pelmora::focus() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(program_.thread_id(), &info) ? info.hwndFocus : nullptr;
}

bool Pelmora::press_key(WORD vk, bool alt) {
  const bool sent = gui::press_key(vk, alt ? VK_MENU : 0, 30);
  Sleep(150);
  return sent;
}

bool Pelmora::wait_list_filled(int count, DWORD timeout_ms) {
  return wait_for([&] { return list_count() >= count; }, timeout_ms);
}

bool Pelmora::wait_box(Box* box, DWORD timeout_ms) {
  HWND found = nullptr;
  wait_for(
      [&] {
        found = find_window(program_.process_id(), is_message_box);
        return found != nullptr;
      },
      timeout_ms);
  if (!found) return false;
  Sleep(100);  // let the box finish drawing before it is read or clicked
  box->window = found;
  box->title = read_text(found);
  box->text = read_text(GetDlgItem(found, kMessageTextId));
  return true;
}

bool Pelmora::no_box_for(DWORD ms) {
  return !wait_for([&] { return find_window(program_.process_id(), is_message_box) != nullptr; },
                   ms);
}

bool Pelmora::answer(const Box& box) {
  return answer_with(box, GetDlgItem(box.window, IDOK) ? IDOK : IDCANCEL);
}

bool Pelmora::answer_with(const Box& box, int button_id) {
  HWND ok = GetDlgItem(box.window, button_id);
  if (!ok) return false;
  if (!IsWindow(box.window)) return true;
  const bool gone = test_support::click_until(
      [&] { click_centre(ok); },
      [&] {
        return wait_for([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); },
                        3000);
      },
      3);
  if (gone) Sleep(100);
  return gone;
}

HWND Pelmora::wait_chooser(std::string* title, DWORD timeout_ms) {
  HWND found = nullptr;
  wait_for(
      [&] {
        found = find_window(program_.process_id(), [](HWND w) {
          return gui::class_name(w) == "#32770" &&
                 find_child_of_class(w, "SysTreeView32") != nullptr;
        });
        return found != nullptr;
      },
      timeout_ms);
  if (found) {
    Sleep(300);
    if (title) *title = read_text(GetDlgItem(found, kChooserTitleId));
  }
  return found;
}

bool Pelmora::chooser_select_desktop_folder(HWND chooser, const std::string& name) {
  const HWND tree = find_child_of_class(chooser, "SysTreeView32");
  const HWND edit = GetDlgItem(chooser, kChooserFolderEditId);
  if (!tree || !edit) return false;
  const auto next = [&](WPARAM which, LRESULT item) {
    return read_window(tree, TVM_GETNEXTITEM, which, item, "TVM_GETNEXTITEM", 0);
  };
  const LRESULT root = next(TVGN_ROOT, 0);
  read_window(tree, TVM_EXPAND, TVE_EXPAND, root, "TVM_EXPAND", 0);
  for (LRESULT item = next(TVGN_CHILD, root); item; item = next(TVGN_NEXT, item)) {
    read_window(tree, TVM_SELECTITEM, TVGN_CARET, item, "TVM_SELECTITEM", 0);
    if (wait_for([&] { return read_text(edit) == name; }, 300)) return true;
  }
  return false;
}

bool Pelmora::chooser_click(HWND chooser, int button_id) {
  // The chooser's buttons are pressed by message: no test is about the mouse on them, and a
  // real click needs the chooser in front, which a busy machine gives late.
  const HWND button = GetDlgItem(chooser, button_id);
  if (!button || !PostMessageA(button, BM_CLICK, 0, 0)) return false;
  return wait_for([&] { return !IsWindow(chooser) || !IsWindowVisible(chooser); }, 5000);
}

bool Pelmora::click_gadget(int number) {
  // A message box of the program would take the click (and the window behind it is disabled).
  if (find_window(program_.process_id(), is_message_box)) return false;
  const bool clicked = click_centre(gadget(number));
  Sleep(150);
  return clicked;
}

bool Pelmora::click_list_item(int index, int number, bool twice) {
  const HWND list = gadget(number);
  if (!list) return false;
  if (find_window(program_.process_id(), is_message_box)) return false;
  // The list's own window (window 0 or window 1) must be in front and take input.
  const HWND top = GetAncestor(list, GA_ROOT);
  if (!wait_for([&] { return IsWindowEnabled(list) && GetForegroundWindow() == top; }, 3000)) {
    SetForegroundWindow(top);
    if (!wait_for([&] { return GetForegroundWindow() == top; }, 2000)) return false;
  }
  read_window(list, LB_SETTOPINDEX, index, 0, "LB_SETTOPINDEX", LB_ERR);
  RECT item{};
  if (read_window(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item), "LB_GETITEMRECT",
                  LB_ERR) == LB_ERR) {
    return false;
  }
  const POINT p = mouse::on_screen(list, 20, (item.top + item.bottom) / 2);
  const bool clicked = twice ? mouse::double_click(p) : mouse::click(p);
  Sleep(150);
  return clicked;
}

bool Pelmora::select_list_item(int index, int number) {
  const HWND list = gadget(number);
  if (!list) return false;
  if (read_window(list, LB_SETCURSEL, index, 0, "LB_SETCURSEL", LB_ERR) == LB_ERR) return false;
  // Posted, as the list's own notification would wake the program's event wait.
  return PostMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(number, LBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(list)) != FALSE;
}

bool Pelmora::click_close_box() {
  RECT r;
  if (!main_ || !GetWindowRect(main_, &r)) return false;
  // Ask the window where its close box is and click the middle of it.
  long sum_x = 0, sum_y = 0, count = 0;
  for (int y = r.top; y < r.top + 40; y += 2) {
    for (int x = r.right - 80; x < r.right; x += 2) {
      if (read_window(main_, WM_NCHITTEST, 0, MAKELPARAM(x, y), "WM_NCHITTEST", HTNOWHERE) !=
          HTCLOSE) {
        continue;
      }
      sum_x += x;
      sum_y += y;
      ++count;
    }
  }
  return count > 0 &&
         mouse::click({static_cast<LONG>(sum_x / count), static_cast<LONG>(sum_y / count)});
}

bool Pelmora::enabled(int number) { return IsWindowEnabled(gadget(number)) != FALSE; }

std::string Pelmora::text(int number) { return read_text(gadget(number)); }

int Pelmora::check_state(int number) {
  return static_cast<int>(read_window(gadget(number), BM_GETCHECK, 0, 0, "BM_GETCHECK", -1));
}

int Pelmora::list_count(int number) {
  return static_cast<int>(read_window(gadget(number), LB_GETCOUNT, 0, 0, "LB_GETCOUNT", -1));
}

std::string Pelmora::list_item(int index, int number) {
  // Read as Unicode and converted to the ANSI code page: Wine hands the ANSI form of
  // LB_GETTEXT across processes as UTF-16.
  const HWND list = gadget(number);
  const LRESULT length =
      read_window_any(list, LB_GETTEXTLEN, index, 0, "LB_GETTEXTLEN", LB_ERR, kReadLimitMs, true);
  if (length == LB_ERR) return "<none>";
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = read_window_any(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&wide[0]),
                                      "LB_GETTEXT", LB_ERR, kReadLimitMs, true);
  if (got == LB_ERR) return "<none>";
  wide.resize(static_cast<size_t>(got));
  std::string text(wide.size() * 2 + 1, '\0');
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()),
                                    &text[0], static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

int Pelmora::list_selection(int number) {
  return static_cast<int>(read_window(gadget(number), LB_GETCURSEL, 0, 0, "LB_GETCURSEL", LB_ERR));
}

int Pelmora::wait_exit(DWORD timeout_ms) {
  if (!program_.process() ||
      WaitForSingleObject(program_.process(), scaled(timeout_ms)) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(program_.process(), &code);
  return static_cast<int>(code);
}

bool Pelmora::running() {
  return program_.process() && WaitForSingleObject(program_.process(), 0) == WAIT_TIMEOUT;
}

bool wait_for(const std::function<bool()>& done, DWORD timeout_ms) {
  timeout_ms = scaled(timeout_ms);
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(20);
  }
}

std::string save_screenshot(HWND window, const std::string& name) {
  RECT r;
  if (!window || !GetWindowRect(window, &r)) return "";
  return save_screenshot(r, name);
}

std::string save_screenshot(const RECT& r, const std::string& name) {
  if (r.right <= r.left || r.bottom <= r.top) return "";
  Sleep(300);  // let the last change be painted
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
  SelectObject(memory, old);
  std::string path = screenshot_folder() + name + ".png";
  if (!save_png(bitmap, path)) path.clear();
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return path;
}

bool write_file(const std::string& path, const std::string& content) {
  return test_support::ScratchFolder::write_file(path, content);
}

std::string read_file(const std::string& path) {
  return test_support::ScratchFolder::read_file(path);
}

bool exists(const std::string& path) { return test_support::ScratchFolder::exists(path); }

std::vector<std::string> list_folder(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA((folder + pattern).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

void remove_tree(const std::string& folder) { test_support::ScratchFolder::remove_tree(folder); }

}  // namespace e2e
