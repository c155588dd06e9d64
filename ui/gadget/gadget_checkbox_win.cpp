// The check box gadget, two- or three-state. The record's back_color word is the three-state flag.
#include "ui/gadget/gadget.h"
#include "ui/gadget/gadget_internal.h"
#include "ui/gadget/gadget_rules.h"
#include "ui/window/window.h"

namespace {

GadgetOps g_checkbox_ops;
bool g_checkbox_filled = false;

bool is_three_state(const GadgetObject* gadget) { return gadget->back_color == 1; }

int32_t checkbox_state_get(GadgetObject* gadget) {
  switch (gadget_send(gadget, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED:
      return 1;
    case BST_INDETERMINATE:
      return -1;
    default:
      return 0;
  }
}

int32_t checkbox_state_set(GadgetObject* gadget, int32_t state) {
  WPARAM check = BST_CHECKED;
  if (state == -1) {
    check = is_three_state(gadget) ? BST_INDETERMINATE : BST_CHECKED;
  } else if (state == 0) {
    check = BST_UNCHECKED;
  }
  return static_cast<int32_t>(gadget_send(gadget, BM_SETCHECK, check, 0));
}

// A three-state box is toggled here between checked and unchecked (Windows does not toggle
// BS_3STATE); the click still becomes the generic gadget event.
LRESULT checkbox_message(GadgetObject* gadget, HWND, UINT message, WPARAM wparam, LPARAM) {
  if (is_three_state(gadget) && message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
    const bool checked = gadget_send(gadget, BM_GETCHECK, 0, 0) == BST_CHECKED;
    gadget_send(gadget, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
  }
  return kNotHandled;
}

void fill_checkbox(GadgetOps* ops) {
  ops->message = checkbox_message;
  ops->state_get = checkbox_state_get;
  ops->state_set = checkbox_state_set;
}

}  // namespace

intptr_t gadget_checkbox_create(intptr_t number, int x, int y, int width, int height,
                                const char* caption, uint32_t flags) {
  gadget_ops_prepare(&g_checkbox_ops, &g_checkbox_filled, gadget_kind_checkbox, fill_checkbox);
  const GadgetStyle style = checkbox_style(flags);
  HWND handle = nullptr;
  GadgetObject* gadget = gadget_create_styled(number, style, caption, x, y, width, height, &handle);
  if (gadget == nullptr) return 0;
  if (style.three_state) gadget->back_color = 1;
  return gadget_register(number, gadget, handle, &g_checkbox_ops);
}
