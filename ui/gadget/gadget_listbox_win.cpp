// The list box gadget: items with data, single or multiple selection, clicks and drag starts.
#include "ui/gadget/gadget.h"
#include "ui/gadget/gadget_internal.h"
#include "ui/gadget/gadget_rules.h"
#include "ui/window/window.h"
#include "ui/window/window_properties.h"

namespace {

GadgetOps g_listbox_ops;
bool g_listbox_filled = false;
WNDPROC g_listbox_proc = nullptr;  // system "ListBox" procedure behind listbox_drag_proc
int g_drag_x = 0;                  // SM_CXDRAG
int g_drag_y = 0;                  // SM_CYDRAG

bool multiple_selection(GadgetObject* gadget) {
  return (GetWindowLongA(gadget->handle, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
}

int32_t listbox_state_get(GadgetObject* gadget) {
  if (multiple_selection(gadget)) {
    int index = -1;
    const LRESULT found = gadget_send(gadget, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&index));
    return found == 1 ? index : -1;
  }
  return static_cast<int32_t>(gadget_send(gadget, LB_GETCURSEL, 0, 0));
}

int32_t listbox_state_set(GadgetObject* gadget, int32_t index) {
  if (multiple_selection(gadget)) {
    const LRESULT count = gadget_send(gadget, LB_GETCOUNT, 0, 0);
    // A first index above the last takes the whole range out of the selection.
    LRESULT result = gadget_send(gadget, LB_SELITEMRANGEEX, static_cast<WPARAM>(count - 1), 0);
    if (index != -1) result = gadget_send(gadget, LB_SETSEL, TRUE, index);
    return static_cast<int32_t>(result);
  }
  return static_cast<int32_t>(gadget_send(gadget, LB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

std::string listbox_item_text_get(GadgetObject* gadget, int32_t index) {
  const LRESULT length = gadget_send(gadget, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT copied = gadget_send(gadget, LB_GETTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(&text[0]));
  text.resize(copied > 0 && copied <= length ? static_cast<size_t>(copied) : 0);
  return text;
}

std::string listbox_text_get(GadgetObject* gadget) {
  return listbox_item_text_get(gadget,
                               static_cast<int32_t>(gadget_send(gadget, LB_GETCURSEL, 0, 0)));
}

int32_t listbox_text_set(GadgetObject* gadget, const char* text) {
  const LRESULT index = gadget_send(gadget, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(text));
  if (multiple_selection(gadget)) {
    return static_cast<int32_t>(gadget_send(gadget, LB_SETSEL, TRUE, index));
  }
  return static_cast<int32_t>(gadget_send(gadget, LB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

int32_t listbox_item_add(GadgetObject* gadget, int32_t position, const char* text) {
  gadget_send(gadget, LB_INSERTSTRING, static_cast<WPARAM>(position),
              reinterpret_cast<LPARAM>(text));
  return 0;
}

int32_t listbox_item_remove(GadgetObject* gadget, int32_t index) {
  return static_cast<int32_t>(gadget_send(gadget, LB_DELETESTRING, static_cast<WPARAM>(index), 0));
}

int32_t listbox_items_clear(GadgetObject* gadget) {
  return static_cast<int32_t>(gadget_send(gadget, LB_RESETCONTENT, 0, 0));
}

int32_t listbox_item_count(GadgetObject* gadget) {
  return static_cast<int32_t>(gadget_send(gadget, LB_GETCOUNT, 0, 0));
}

int32_t listbox_item_state_get(GadgetObject* gadget, int32_t index) {
  return static_cast<int32_t>(gadget_send(gadget, LB_GETSEL, static_cast<WPARAM>(index), 0));
}

int32_t listbox_item_state_set(GadgetObject* gadget, int32_t index, int32_t state) {
  return static_cast<int32_t>(gadget_send(gadget, LB_SETSEL, state != 0, index));
}

// Replaces an item's text in place, keeping its data.
int32_t listbox_item_text_set(GadgetObject* gadget, int32_t index, const char* text) {
  const LRESULT data = gadget_send(gadget, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  if (gadget_send(gadget, LB_DELETESTRING, static_cast<WPARAM>(index), 0) == LB_ERR) return -1;
  gadget_send(gadget, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  return static_cast<int32_t>(
      gadget_send(gadget, LB_SETITEMDATA, static_cast<WPARAM>(index), data));
}

intptr_t listbox_item_data_set(GadgetObject* gadget, int32_t index, intptr_t value) {
  return gadget_send(gadget, LB_SETITEMDATA, static_cast<WPARAM>(index), value);
}

intptr_t listbox_item_data_get(GadgetObject* gadget, int32_t index) {
  return gadget_send(gadget, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

// The list box posts its own events and keeps the generic WM_COMMAND event away.
LRESULT listbox_message(GadgetObject* gadget, HWND, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_COMMAND) {
    const WORD code = HIWORD(wparam);
    if (code == LBN_DBLCLK) {
      gadget_post_event(gadget->handle, gadget_event_double_click);
    } else if (code == LBN_SELCHANGE) {
      gadget_post_event(gadget->handle, gadget_event_click);
    }
    return 0;
  }
  if (message == WM_CTLCOLORLISTBOX) return gadget_color_rule(gadget, wparam, COLOR_WINDOW);
  return kNotHandled;
}

// Marks a press on an item (GX_MouseDown = the press point) and turns the release into a click
// event, or a move beyond the drag thresholds into a drag-start event.
LRESULT CALLBACK listbox_drag_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      if ((wparam & (MK_SHIFT | MK_CONTROL)) != 0) break;
      const LRESULT item = SendMessageA(hwnd, LB_ITEMFROMPOINT, 0, lparam);
      if (HIWORD(item) != 0) break;
      const bool extended = (GetWindowLongA(hwnd, GWL_STYLE) & LBS_EXTENDEDSEL) != 0;
      if (extended && SendMessageA(hwnd, LB_GETSEL, LOWORD(item), 0) <= 0) break;
      SetPropA(hwnd, kPropMouseDown, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(lparam)));
      SetCapture(hwnd);
      // A press on a selected item must not collapse an extended selection.
      if (extended) return 0;
      break;
    }
    case WM_MOUSEMOVE: {
      HANDLE mark = GetPropA(hwnd, kPropMouseDown);
      if (mark != nullptr && drag_started(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(mark)),
                                          static_cast<uint32_t>(lparam), g_drag_x, g_drag_y)) {
        ReleaseCapture();
        RemovePropA(hwnd, kPropMouseDown);
        gadget_post_event(hwnd, gadget_event_drag_start);
      }
      break;
    }
    case WM_LBUTTONUP:
      if (GetPropA(hwnd, kPropMouseDown) != nullptr) {
        ReleaseCapture();
        RemovePropA(hwnd, kPropMouseDown);
        gadget_post_event(hwnd, gadget_event_click);
      }
      break;
    default:
      break;
  }
  return CallWindowProcA(g_listbox_proc, hwnd, message, wparam, lparam);
}

void fill_listbox(GadgetOps* ops) {
  ops->message = listbox_message;
  ops->free = gadget_color_slot_free;
  ops->state_get = listbox_state_get;
  ops->state_set = listbox_state_set;
  ops->text_get = listbox_text_get;
  ops->text_set = listbox_text_set;
  ops->item_add = listbox_item_add;
  ops->item_remove = listbox_item_remove;
  ops->items_clear = listbox_items_clear;
  ops->item_count = listbox_item_count;
  ops->item_state_get = listbox_item_state_get;
  ops->item_state_set = listbox_item_state_set;
  ops->item_text_get = listbox_item_text_get;
  ops->item_text_set = listbox_item_text_set;
  ops->color_set = gadget_color_slot_set;
  ops->color_get = gadget_color_slot_get;
  ops->item_data_set = listbox_item_data_set;
  ops->item_data_get = listbox_item_data_get;
  g_drag_x = GetSystemMetrics(SM_CXDRAG);
  g_drag_y = GetSystemMetrics(SM_CYDRAG);
}

}  // namespace

intptr_t gadget_listbox_create(intptr_t number, int x, int y, int width, int height,
                               uint32_t flags) {
  gadget_ops_prepare(&g_listbox_ops, &g_listbox_filled, gadget_kind_listbox, fill_listbox);
  HWND handle = nullptr;
  GadgetObject* gadget =
      gadget_create_styled(number, listbox_style(flags), nullptr, x, y, width, height, &handle);
  if (gadget == nullptr) return 0;
  gadget->back_color = -1;
  gadget->front_color = -1;
  g_listbox_proc = gadget_subclass(handle, listbox_drag_proc);
  return gadget_register(number, gadget, handle, &g_listbox_ops);
}
