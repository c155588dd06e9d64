// The frame gadget: a static frame, bordered ones kept transparent.
#include "ui/gadget/gadget.h"
#include "ui/gadget/gadget_internal.h"
#include "ui/gadget/gadget_rules.h"

namespace {

GadgetOps g_frame_ops;
bool g_frame_filled = false;
WNDPROC g_static_proc = nullptr;  // system "Static" procedure behind the bordered frames

// A bordered frame never paints its interior: what lies beneath stays visible.
LRESULT CALLBACK frame_static_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    ValidateRect(hwnd, nullptr);
    return 0;
  }
  return CallWindowProcA(g_static_proc, hwnd, message, wparam, lparam);
}

// Moves the frame, then has the parent repaint the area inside it.
void frame_resize(GadgetObject* gadget, int x, int y, int width, int height) {
  gadget_move_record(gadget, x, y, width, height);
  RECT rect;
  GetWindowRect(gadget->handle, &rect);
  HWND parent = GetParent(gadget->handle);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  InvalidateRect(parent, &rect, TRUE);
}

void fill_frame(GadgetOps* ops) { ops->resize = frame_resize; }

}  // namespace

intptr_t gadget_frame_create(intptr_t number, int x, int y, int width, int height,
                             const char* caption, uint32_t flags) {
  gadget_ops_prepare(&g_frame_ops, &g_frame_filled, gadget_kind_frame, fill_frame);
  const GadgetStyle style = frame_style(flags);
  HWND handle = nullptr;
  GadgetObject* gadget = gadget_create_styled(number, style, caption, x, y, width, height, &handle);
  if (gadget == nullptr) return 0;
  if (style.static_frame) g_static_proc = gadget_subclass(handle, frame_static_proc);
  return gadget_register(number, gadget, handle, &g_frame_ops);
}
