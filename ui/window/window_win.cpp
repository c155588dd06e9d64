// Numbered top-level windows: start-up, opening, closing and the end step.
#include <windows.h>

#include <cstdio>

#include "runtime/registry.h"
#include "runtime/runtime.h"
#include "runtime/system_libraries.h"
#include "ui/window/window.h"
#include "ui/window/window_internal.h"

namespace {

ObjectTable* g_windows = nullptr;
size_t g_event_offset = 0;
HICON g_class_icon = nullptr;
HCURSOR g_class_cursor = nullptr;
GadgetListSelectFn g_list_select = nullptr;

constexpr int kGrowthStep = 16;

HINSTANCE module_instance() {
  auto* instance = static_cast<HINSTANCE>(runtime_instance());
  return instance ? instance : GetModuleHandleA(nullptr);
}

struct ClassName {
  char text[32];
  explicit ClassName(intptr_t number) {
    std::snprintf(text, sizeof text, "WindowClass_%d", static_cast<int>(number));
  }
};

void release_last_data(CurrentEvent* current) {
  if (current->last_data && current->last_data_release) {
    current->last_data_release(current->last_data);
  }
  current->last_data = nullptr;
  current->last_data_release = nullptr;
}

void current_event_cleanup(void* slice) {
  auto* current = static_cast<CurrentEvent*>(slice);
  message_data_free(current);
  release_last_data(current);
}

struct DecodedFlags {
  DWORD style;
  DWORD ex_style;
  bool centre_screen;
  bool centre_parent;
  bool hidden;
  bool no_gadget_list;
};

// The toolkit's own bits are taken out in a fixed order; the rest is the Win32 style.
DecodedFlags decode_flags(uint32_t flags) {
  DecodedFlags d{};
  d.no_gadget_list = flags & window_no_gadget_list;
  flags &= ~window_no_gadget_list;
  if ((flags & ~(window_centre_screen | window_centre_parent | window_hidden)) == 0) {
    flags |= WS_CAPTION;
  }
  d.hidden = flags & window_hidden;
  flags &= ~window_hidden;
  if (flags & window_tool) {
    flags &= ~(WS_MINIMIZE | WS_MAXIMIZE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    flags |= WS_CAPTION;
    d.ex_style = WS_EX_TOOLWINDOW;
  }
  d.centre_screen = flags & window_centre_screen;
  d.centre_parent = flags & window_centre_parent;
  d.style = flags & ~(window_centre_screen | window_centre_parent | window_tool);
  return d;
}

void place_window(const DecodedFlags& d, HWND parent, int* x, int* y, int* width, int* height) {
  if ((*x == window_default_position || *y == window_default_position) && !d.centre_screen &&
      !d.centre_parent) {
    *x = *y = CW_USEDEFAULT;
  }
  if (d.centre_screen) {
    int screen_w = GetSystemMetrics(SM_CXSCREEN);
    int screen_h = GetSystemMetrics(SM_CYSCREEN);
    if (*width > screen_w) *width = screen_w;
    if (*height > screen_h) *height = screen_h;
    *x = (screen_w - *width) / 2;
    *y = (screen_h - *height) / 2;
  } else if (d.centre_parent) {
    HWND reference = parent ? parent : GetActiveWindow();
    RECT r;
    if (reference && GetWindowRect(reference, &r)) {
      *x = r.left + (r.right - r.left - *width) / 2;
      *y = r.top + (r.bottom - r.top - *height) / 2;
      if (*x < 0) *x = 0;
      if (*y < 0) *y = 0;
    }
  }
}

void register_window_class(const char* name) {
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = toolkit_window_proc;
  wc.hInstance = module_instance();
  wc.hIcon = g_class_icon;
  wc.hCursor = g_class_cursor;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = name;
  RegisterClassA(&wc);  // an existing class of this name is used as it is
}

void make_accelerators(WindowObject* record) {
  auto* entries = static_cast<ACCEL*>(heap_alloc(2 * sizeof(ACCEL)));
  if (!entries) return;
  entries[0] = ACCEL{FVIRTKEY | FNOINVERT, VK_TAB, kCommandFocusNext};
  entries[1] = ACCEL{FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, kCommandFocusPrevious};
  record->accelerators = entries;
  record->accelerator_count = 2;
  record->accelerator_table = CreateAcceleratorTableA(entries, 2);
}

}  // namespace

ObjectTable* windows_table() { return g_windows; }

CurrentEvent* current_event() {
  if (!g_windows) return nullptr;
  return static_cast<CurrentEvent*>(thread_state_get(g_event_offset));
}

void message_data_free(CurrentEvent* current) {
  if (EventMessageData* data = current->message_data) {
    heap_free(data->buffer);
    heap_free(data);
    current->message_data = nullptr;
  }
}

HWND window_owner_of(HWND hwnd, intptr_t* number) {
  for (HWND w = hwnd; w; w = GetParent(w)) {
    if (HANDLE value = GetPropA(w, kPropWindowId)) {
      *number = reinterpret_cast<intptr_t>(value) - 1;
      return w;
    }
  }
  *number = -1;
  return nullptr;
}

void windows_init() {
  if (g_windows) return;
  g_windows = object_table_create(sizeof(WindowObject), kGrowthStep, window_close);
  g_event_offset = thread_state_register(sizeof(CurrentEvent), nullptr, current_event_cleanup);
  sizing_register_slice();
  g_class_icon = LoadIconA(module_instance(), MAKEINTRESOURCEA(1));
  g_class_cursor = LoadCursorA(nullptr, IDC_ARROW);
}

void windows_end() {
  if (!g_windows) return;
  object_release_all(g_windows);
  current_event_cleanup(current_event());
}

intptr_t window_open(intptr_t number, int x, int y, int width, int height, const char* title,
                     uint32_t flags, HWND parent) {
  if (!g_windows) return 0;
  auto* record = static_cast<WindowObject*>(object_claim(g_windows, number));
  if (!record) return 0;
  const bool automatic = number == -1;
  if (automatic) number = object_number_of(g_windows, record);
  ClassName class_name(number);
  if (!title) title = "";
  register_window_class(class_name.text);

  DecodedFlags d = decode_flags(flags);
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, d.style, FALSE, d.ex_style);
  int outer_w = r.right - r.left;
  int outer_h = r.bottom - r.top;
  place_window(d, parent, &x, &y, &outer_w, &outer_h);

  HWND handle = CreateWindowExA(d.ex_style, class_name.text, title, d.style, x, y, outer_w, outer_h,
                                parent, nullptr, module_instance(), nullptr);
  if (!handle) {
    UnregisterClassA(class_name.text, module_instance());
    object_release(g_windows, number);
    return 0;
  }
  record->handle = handle;
  SetPropA(handle, kPropWindowId, reinterpret_cast<HANDLE>(number + 1));
  if (!d.hidden) {
    int show = (d.style & WS_MAXIMIZE)   ? SW_MAXIMIZE
               : (d.style & WS_MINIMIZE) ? SW_SHOWMINIMIZED
                                         : SW_SHOWNORMAL;
    ShowWindow(handle, show);
  }
  record->min_or_max = (d.style & (WS_MINIMIZE | WS_MAXIMIZE)) ? 1 : 0;
  make_accelerators(record);
  record->background_color = -1;
  record->mdi_client = nullptr;
  if (!d.no_gadget_list) gadget_list_select_hooked(handle);
  return automatic ? number : reinterpret_cast<intptr_t>(handle);
}

void window_close(intptr_t number) {
  if (!g_windows) return;
  auto* record = static_cast<WindowObject*>(object_find(g_windows, number));
  if (!record) return;
  HWND handle = record->handle;
  HWND owner = GetWindow(handle, GW_OWNER);
  if (owner && !record->mdi_client) SetActiveWindow(owner);
  // Without the number property, the messages of the destruction queue no window events.
  RemovePropA(handle, kPropWindowId);
  if (RemovePropA(handle, kPropDropAccept)) com_revoke_drag_drop(handle);
  if (record->mdi_client) {
    SendMessageA(record->mdi_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(handle), 0);
  } else {
    DestroyWindow(handle);
    UnregisterClassA(ClassName(number).text, module_instance());
  }
  if (record->accelerators) {
    heap_free(record->accelerators);
    DestroyAcceleratorTable(record->accelerator_table);
  }
  if (record->background_brush) DeleteObject(record->background_brush);
  event_purge_window(number);
  object_release(g_windows, number);
}

HWND window_handle(intptr_t number) {
  if (!g_windows) return nullptr;
  auto* record = static_cast<WindowObject*>(object_find(g_windows, number));
  return record ? record->handle : nullptr;
}

int32_t window_system_menu_add(intptr_t number, uint32_t id, const char* text) {
  if (id == 0 || id >= kSystemCommandFirst || (id & 0xF) != 0) return 0;
  HWND handle = window_handle(number);
  HMENU menu = handle ? GetSystemMenu(handle, FALSE) : nullptr;
  if (!menu) return 0;
  // The system's own items all carry ids of 0xF000 or more; the first item of ours comes after a
  // separator, the later ones directly below it.
  const int count = GetMenuItemCount(menu);
  const UINT last = count > 0 ? GetMenuItemID(menu, count - 1) : 0;
  const bool ours_last = last != 0 && last != static_cast<UINT>(-1) && last < kSystemCommandFirst;
  if (!ours_last && count > 0 && !AppendMenuA(menu, MF_SEPARATOR, 0, nullptr)) return 0;
  return AppendMenuA(menu, MF_STRING, id, text ? text : "") ? 1 : 0;
}

intptr_t window_number_of(HWND window) {
  if (!window) return -1;
  HANDLE value = GetPropA(window, kPropWindowId);
  return value ? reinterpret_cast<intptr_t>(value) - 1 : -1;
}

void window_set_gadget_hooks(GadgetMessageHookFn message_hook, GadgetListSelectFn list_select) {
  gadget_message_hook_install(message_hook);
  g_list_select = list_select;
}

HWND gadget_list_select_hooked(HWND window) {
  return g_list_select ? g_list_select(window) : nullptr;
}
