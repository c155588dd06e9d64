// Toolkit start-up, the creation path all kinds share, registration, the common subclass
// procedure and the two ways control notifications become events.
#include <windows.h>
#include <commctrl.h>

#include "runtime/runtime.h"
#include "runtime/system_libraries.h"
#include "ui/gadget/gadget.h"
#include "ui/gadget/gadget_internal.h"
#include "ui/window/window.h"
#include "ui/window/window_properties.h"

namespace {

constexpr int32_t kGadgetTableGrowth = 50;
constexpr DWORD kCommonControlClasses = ICC_TAB_CLASSES | ICC_HOTKEY_CLASS | ICC_DATE_CLASSES |
                                        ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES;
static_assert(kCommonControlClasses == 0xB48, "common-control classes the toolkit registers");

// Toolkit-wide state, set once by gadget_toolkit_init.
HFONT g_default_font = nullptr;
ObjectTable* g_gadget_table = nullptr;
size_t g_list_state_offset = 0;

intptr_t control_identifier(HWND handle) {
  return static_cast<LONG>(GetWindowLongPtrA(handle, GWLP_ID));
}

void release_gadget(intptr_t number) { gadget_destroy_by_number(number); }

// Undoes the registration once the control's own WM_NCDESTROY handling has run.
void unregister_gadget(HWND hwnd, intptr_t number) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget != nullptr && gadget->ops != nullptr && gadget->ops->free != nullptr) {
    gadget->ops->free(gadget);
  }
  RemovePropA(hwnd, kPropGadgetId);
  if (RemovePropA(hwnd, kPropDropAccept) != nullptr) com_revoke_drag_drop(hwnd);
  SetWindowLongPtrA(hwnd, GWLP_ID, -1);
  event_purge(event_gadget_activity, number, -1, -1);
  object_release(g_gadget_table, number);
}

LRESULT CALLBACK gadget_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const intptr_t number = control_identifier(hwnd);
  if (number == -1) return DefWindowProcA(hwnd, message, wparam, lparam);
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->handle != hwnd) {
    return DefWindowProcA(hwnd, message, wparam, lparam);
  }
  const LRESULT result = CallWindowProcA(gadget->previous_proc, hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) unregister_gadget(hwnd, number);
  return result;
}

// The gadget side of the parent window's message hook: offers the message to the kind of the
// live gadget `control`.
LRESULT gadget_message_dispatch(HWND control, HWND parent, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  if (control == nullptr) return kNotHandled;
  const intptr_t number = control_identifier(control);
  if (reinterpret_cast<intptr_t>(GetPropA(control, kPropGadgetId)) != number) return kNotHandled;
  GadgetObject* gadget = gadget_find(number);
  // The handle check keeps a foreign control whose identifier happens to equal a gadget number
  // (0 reads like a missing property) away from that gadget's kind.
  if (gadget == nullptr || gadget->handle != control || gadget->ops->message == nullptr) {
    return kNotHandled;
  }
  return gadget->ops->message(gadget, parent, message, wparam, lparam);
}

}  // namespace

BOOL gadget_toolkit_init() {
  brush_cache_init();
  g_default_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  g_gadget_table = object_table_create(sizeof(GadgetObject), kGadgetTableGrowth, release_gadget);
  g_list_state_offset = thread_state_register(sizeof(GadgetListState), gadget_list_state_init,
                                              gadget_list_state_cleanup);
  window_set_gadget_hooks(gadget_message_dispatch, gadget_list_select);
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = kCommonControlClasses;
  return InitCommonControlsEx(&controls);
}

ObjectTable* gadget_table() { return g_gadget_table; }
HFONT gadget_default_font() { return g_default_font; }

GadgetListState* gadget_list_state() {
  return static_cast<GadgetListState*>(thread_state_get(g_list_state_offset));
}

HINSTANCE gadget_module_instance() {
  void* instance = runtime_instance();
  return instance != nullptr ? static_cast<HINSTANCE>(instance) : GetModuleHandleA(nullptr);
}

GadgetObject* gadget_find(intptr_t number) {
  if (g_gadget_table == nullptr) return nullptr;
  return static_cast<GadgetObject*>(object_find(g_gadget_table, number));
}

HWND gadget_handle(intptr_t number) {
  GadgetObject* gadget = gadget_find(number);
  return gadget != nullptr ? gadget->handle : nullptr;
}

void gadget_ops_prepare(GadgetOps* ops, bool* filled, int32_t kind,
                        void (*fill_slots)(GadgetOps*)) {
  if (*filled) return;
  *ops = GadgetOps{};
  ops->kind = kind;
  ops->size = sizeof(GadgetOps);
  fill_slots(ops);
  *filled = true;
}

GadgetObject* gadget_create_control(intptr_t number, const char* class_name, const char* text,
                                    uint32_t style, uint32_t ex_style, int x, int y, int width,
                                    int height, HWND* handle) {
  *handle = nullptr;
  if (g_gadget_table == nullptr) return nullptr;
  GadgetListState* state = gadget_list_state();
  HWND control = CreateWindowExA(ex_style, class_name, text, style, x, y, width, height,
                                 state->parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(-1)),
                                 gadget_module_instance(), nullptr);
  if (control == nullptr) return nullptr;
  // A live gadget of this number is destroyed (and unregistered) by the claim.
  auto* gadget = static_cast<GadgetObject*>(object_claim(g_gadget_table, number));
  if (gadget == nullptr) {
    DestroyWindow(control);
    return nullptr;
  }
  *handle = control;
  return gadget;
}

intptr_t gadget_register(intptr_t number, GadgetObject* gadget, HWND handle, const GadgetOps* ops) {
  const intptr_t own_number = number == -1 ? object_number_of(g_gadget_table, gadget) : number;
  gadget->handle = handle;
  gadget->ops = ops;
  gadget->previous_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gadget_window_proc)));
  SetWindowLongPtrA(handle, GWLP_ID, own_number);
  SetPropA(handle, kPropGadgetId, reinterpret_cast<HANDLE>(own_number));
  SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(gadget_list_state()->font), TRUE);
  return number == -1 ? own_number : reinterpret_cast<intptr_t>(handle);
}

BOOL gadget_destroy_by_number(intptr_t number) {
  GadgetObject* gadget = gadget_find(number);
  return gadget != nullptr ? DestroyWindow(gadget->handle) : FALSE;
}

GadgetObject* gadget_create_styled(intptr_t number, const GadgetStyle& style, const char* caption,
                                   int x, int y, int width, int height, HWND* handle) {
  const char* text = style.has_text ? (caption != nullptr ? caption : "") : nullptr;
  return gadget_create_control(number, style.class_name, text, style.style, style.ex_style, x, y,
                               width, height, handle);
}

WNDPROC gadget_subclass(HWND handle, WNDPROC procedure) {
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

LRESULT gadget_send(GadgetObject* gadget, UINT message, WPARAM wparam, LPARAM lparam) {
  return SendMessageA(gadget->handle, message, wparam, lparam);
}

HWND gadget_owner_window(HWND handle) {
  HWND window = handle;
  while (window != nullptr) {
    if (GetPropA(window, kPropWindowId) != nullptr) return window;
    HWND parent = GetParent(window);
    if (parent == nullptr) return window;
    window = parent;
  }
  return nullptr;
}

void gadget_post_event(HWND handle, int32_t type) {
  HWND owner = gadget_owner_window(handle);
  const intptr_t window = reinterpret_cast<intptr_t>(GetPropA(owner, kPropWindowId)) - 1;
  event_post(event_gadget_activity, control_identifier(handle), window, type);
}
