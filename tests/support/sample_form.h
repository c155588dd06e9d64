// A neutral form for the toolkit tests: window 0 with nine gadgets of every kind, numbered 0 to 9
// without 4 so that the numbers have a gap, in creation order.
#pragma once

#include <cstdint>

#include "ui/gadget/gadget.h"
#include "ui/window/window.h"

namespace sample_form {

constexpr char kTitle[] = "Sample form";
constexpr uint32_t kFlags = 0xC80000;  // title bar and close box

// Screen position and client size of the window; a gadget's place in the client area.
struct Place {
  int x, y, width, height;
};
constexpr Place kWindow = {200, 120, 300, 280};

enum class Kind { frame, button, listbox, checkbox, text };

struct Gadget {
  intptr_t number;
  Kind kind;
  Place place;
  const char* text;  // the list has none
  uint32_t flags;
};

constexpr Gadget kGadgets[] = {
    {0,
     Kind::frame,
     {10, 10, 280, 90},
     "Gr\xF6\xDF"
     "e",
     0},
    {1, Kind::frame, {10, 110, 280, 50}, "Second group", 0},
    {2, Kind::button, {10, 200, 280, 40}, "Wide button", 0},
    {3, Kind::listbox, {20, 30, 260, 20}, nullptr, 0},
    {5, Kind::button, {20, 70, 260, 20}, "Narrow button", 0},
    {6, Kind::checkbox, {20, 130, 140, 10}, "Check box", 1},
    {7, Kind::text, {40, 140, 200, 20}, "Static text", 0},
    {8, Kind::button, {90, 170, 100, 20}, "Small", 0},
    {9, Kind::button, {10, 250, 280, 20}, "Bottom button", 0},
};

inline intptr_t open_window() {
  return window_open(0, kWindow.x, kWindow.y, kWindow.width, kWindow.height, kTitle, kFlags);
}

inline intptr_t create(const Gadget& g) {
  const Place& p = g.place;
  switch (g.kind) {
    case Kind::frame:
      return gadget_frame_create(g.number, p.x, p.y, p.width, p.height, g.text, g.flags);
    case Kind::button:
      return gadget_button_create(g.number, p.x, p.y, p.width, p.height, g.text, g.flags);
    case Kind::listbox:
      return gadget_listbox_create(g.number, p.x, p.y, p.width, p.height, g.flags);
    case Kind::checkbox:
      return gadget_checkbox_create(g.number, p.x, p.y, p.width, p.height, g.text, g.flags);
    case Kind::text:
      return gadget_text_create(g.number, p.x, p.y, p.width, p.height, g.text, g.flags);
  }
  return 0;
}

// Creates the nine gadgets in the open window 0; false when one could not be made.
inline bool create_all() {
  for (const Gadget& g : kGadgets) {
    if (!create(g)) return false;
  }
  return true;
}

}  // namespace sample_form
