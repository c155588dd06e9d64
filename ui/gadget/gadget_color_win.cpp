// Colour slots of the list-box and text kinds, the shared brush cache and the generic move.
#include <new>

#include "runtime/lock.h"
#include "ui/gadget/gadget.h"
#include "ui/gadget/gadget_internal.h"
#include "ui/gadget/gadget_rules.h"
#include "ui/window/window.h"

namespace {

// One solid brush shared by every gadget with the same background colour.
struct BrushCacheEntry {
  COLORREF color;
  HBRUSH brush;
  int32_t references;
};

// The brush cache: its lock is made once by the toolkit's start-up and lives for the process.
Lock* g_brush_lock = nullptr;
ListHead g_brushes;

}  // namespace

void brush_cache_init() {
  if (g_brush_lock == nullptr) g_brush_lock = new (std::nothrow) Lock;
  g_brushes.first = nullptr;
}

HBRUSH brush_cache_acquire(COLORREF color) {
  LockGuard guard(*g_brush_lock);
  for (auto* entry = static_cast<BrushCacheEntry*>(list_first(&g_brushes)); entry != nullptr;
       entry = static_cast<BrushCacheEntry*>(list_next(entry))) {
    if (entry->color == color && entry->brush != nullptr) {
      ++entry->references;
      return entry->brush;
    }
  }
  HBRUSH brush = CreateSolidBrush(color);
  if (brush == nullptr) return nullptr;  // no entry is kept for a brush that does not exist
  auto* entry = static_cast<BrushCacheEntry*>(list_push_front(&g_brushes, sizeof(BrushCacheEntry)));
  if (entry == nullptr) {
    DeleteObject(brush);
    return nullptr;
  }
  entry->color = color;
  entry->brush = brush;
  entry->references = 1;
  return brush;
}

void brush_cache_release(HBRUSH brush) {
  LockGuard guard(*g_brush_lock);
  for (auto* entry = static_cast<BrushCacheEntry*>(list_first(&g_brushes)); entry != nullptr;
       entry = static_cast<BrushCacheEntry*>(list_next(entry))) {
    if (entry->brush != brush) continue;
    if (--entry->references <= 0) {
      DeleteObject(entry->brush);
      list_remove(&g_brushes, entry);
    }
    return;
  }
}

int32_t gadget_color_slot_set(GadgetObject* gadget, int32_t which, int32_t value) {
  if (which == gadget_color_front) {
    gadget->front_color = value;
  } else if (which == gadget_color_back) {
    if (gadget->back_brush != nullptr) brush_cache_release(gadget->back_brush);
    gadget->back_brush = value == -1 ? nullptr : brush_cache_acquire(static_cast<COLORREF>(value));
    gadget->back_color = value;
  }
  return RedrawWindow(gadget->handle, nullptr, nullptr,
                      RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME);
}

int32_t gadget_color_slot_get(GadgetObject* gadget, int32_t which) {
  if (which == gadget_color_front) return gadget->front_color;
  if (which == gadget_color_back) return gadget->back_color;
  return -1;
}

void gadget_color_slot_free(GadgetObject* gadget) {
  if (gadget->back_brush != nullptr) {
    brush_cache_release(gadget->back_brush);
    gadget->back_brush = nullptr;
  }
}

LRESULT gadget_color_rule(GadgetObject* gadget, WPARAM dc_word, int system_color) {
  HDC dc = reinterpret_cast<HDC>(dc_word);
  const ColorRule rule = color_rule(gadget->front_color, gadget->back_color);
  if (rule.set_text_color) SetTextColor(dc, static_cast<COLORREF>(gadget->front_color));
  if (rule.set_system_background) SetBkColor(dc, GetSysColor(system_color));
  if (rule.set_back_background) SetBkColor(dc, static_cast<COLORREF>(gadget->back_color));
  switch (rule.answer) {
    case ColorAnswer::system_brush:
      return reinterpret_cast<LRESULT>(GetSysColorBrush(system_color));
    case ColorAnswer::back_brush:
      return reinterpret_cast<LRESULT>(gadget->back_brush);
    default:
      return kNotHandled;
  }
}

void gadget_move_record(GadgetObject* gadget, int x, int y, int width, int height) {
  HWND control = gadget->handle;
  const GadgetOps* ops = gadget->ops;
  RECT rect{};
  if (x == gadget_keep || y == gadget_keep || width == gadget_keep || height == gadget_keep) {
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  }
  if (x == gadget_keep) x = ops->x_get != nullptr ? ops->x_get(gadget) : rect.left;
  if (y == gadget_keep) y = ops->y_get != nullptr ? ops->y_get(gadget) : rect.top;
  if (width == gadget_keep) {
    width = ops->width_get != nullptr ? ops->width_get(gadget) : rect.right - rect.left;
  }
  if (height == gadget_keep) {
    height = ops->height_get != nullptr ? ops->height_get(gadget) : rect.bottom - rect.top;
  }
  MoveWindow(control, x, y, width, height, TRUE);
  if (ops->kind == gadget_kind_button) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
  } else if (ops->kind == gadget_kind_text) {
    InvalidateRect(control, nullptr, FALSE);
  }
}
