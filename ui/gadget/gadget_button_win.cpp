// The button gadget: a push button, or a toggle button with a state.
#include "ui/gadget/gadget.h"
#include "ui/gadget/gadget_internal.h"
#include "ui/gadget/gadget_rules.h"

namespace {

GadgetOps g_button_ops;
bool g_button_filled = false;

int32_t button_state_get(GadgetObject* gadget) {
  return static_cast<int32_t>(gadget_send(gadget, BM_GETCHECK, 0, 0) & 1);
}

int32_t button_state_set(GadgetObject* gadget, int32_t state) {
  return static_cast<int32_t>(
      gadget_send(gadget, BM_SETCHECK, state != 0 ? BST_CHECKED : BST_UNCHECKED, 0));
}

void fill_button(GadgetOps* ops) {
  ops->state_get = button_state_get;
  ops->state_set = button_state_set;
}

}  // namespace

intptr_t gadget_button_create(intptr_t number, int x, int y, int width, int height,
                              const char* caption, uint32_t flags) {
  gadget_ops_prepare(&g_button_ops, &g_button_filled, gadget_kind_button, fill_button);
  HWND handle = nullptr;
  GadgetObject* gadget =
      gadget_create_styled(number, button_style(flags), caption, x, y, width, height, &handle);
  if (gadget == nullptr) return 0;
  return gadget_register(number, gadget, handle, &g_button_ops);
}
