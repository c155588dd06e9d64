// The text gadget: a static text with its own colours.
#include "ui/gadget/gadget.h"
#include "ui/gadget/gadget_internal.h"
#include "ui/gadget/gadget_rules.h"
#include "ui/window/window.h"

namespace {

GadgetOps g_text_ops;
bool g_text_filled = false;

LRESULT text_message(GadgetObject* gadget, HWND, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_CTLCOLORSTATIC) return gadget_color_rule(gadget, wparam, COLOR_BTNFACE);
  return kNotHandled;
}

void fill_text(GadgetOps* ops) {
  ops->message = text_message;
  ops->free = gadget_color_slot_free;
  ops->color_set = gadget_color_slot_set;
  ops->color_get = gadget_color_slot_get;
}

}  // namespace

intptr_t gadget_text_create(intptr_t number, int x, int y, int width, int height,
                            const char* caption, uint32_t flags) {
  gadget_ops_prepare(&g_text_ops, &g_text_filled, gadget_kind_text, fill_text);
  HWND handle = nullptr;
  GadgetObject* gadget =
      gadget_create_styled(number, text_style(flags), caption, x, y, width, height, &handle);
  if (gadget == nullptr) return 0;
  gadget->back_color = -1;
  gadget->front_color = -1;
  return gadget_register(number, gadget, handle, &g_text_ops);
}
