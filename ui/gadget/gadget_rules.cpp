#include "ui/gadget/gadget_rules.h"

namespace {

// Window and control style bits (values of the Win32 headers, kept here so that the rules build
// without them).
constexpr uint32_t kChild = 0x40000000;
constexpr uint32_t kVisible = 0x10000000;
constexpr uint32_t kBorder = 0x00800000;
constexpr uint32_t kGroup = 0x00020000;
constexpr uint32_t kTabStop = 0x00010000;
constexpr uint32_t kHScroll = 0x00100000;
constexpr uint32_t kVScroll = 0x00200000;
constexpr uint32_t kExClientEdge = 0x00000200;
constexpr uint32_t kExStaticEdge = 0x00020000;
constexpr uint32_t kGroupBox = 0x7;
constexpr uint32_t kAutoCheckBox = 0x3;
constexpr uint32_t kStaticCenter = 0x1;
constexpr uint32_t kListNotify = 0x1;
constexpr uint32_t kListHasStrings = 0x40;
constexpr uint32_t kListNoIntegralHeight = 0x100;

constexpr uint32_t kBase = kChild | kVisible | kGroup;  // 0x50020000
constexpr uint32_t kFocusable = kBase | kTabStop;       // 0x50030000

}  // namespace

GadgetStyle frame_style(uint32_t flags) {
  switch (flags) {
    case 0:
      return {"Button", kBase | kGroupBox, 0, true, false, false};
    case 1:
      return {"Static", kBase | kStaticCenter, kExClientEdge, false, true, false};
    case 2:
      return {"Static", kBase | kStaticCenter, kExStaticEdge, false, true, false};
    default:
      return {"Static", kBase | kBorder | kStaticCenter, 0, false, true, false};
  }
}

GadgetStyle button_style(uint32_t flags) {
  return {"Button", flags | kFocusable, 0, true, false, false};
}

GadgetStyle checkbox_style(uint32_t flags) {
  const bool three_state = (flags & 5) == 5;
  const uint32_t own = three_state ? flags : (flags | kAutoCheckBox);
  return {"Button", own | kFocusable, 0, true, false, three_state};
}

GadgetStyle listbox_style(uint32_t flags) {
  const uint32_t style = flags | kFocusable | kHScroll | kVScroll | kListNoIntegralHeight |
                         kListHasStrings | kListNotify;
  return {"ListBox", style, kExClientEdge, false, false, false};
}

GadgetStyle text_style(uint32_t flags) {
  const uint32_t ex_style = (flags & kGroup) ? kExClientEdge : 0;
  return {"Static", flags | kBase, ex_style, true, false, false};
}

bool drag_started(uint32_t pressed_at, uint32_t now, int threshold_x, int threshold_y) {
  const int dx = static_cast<int16_t>(now & 0xFFFF) - static_cast<int16_t>(pressed_at & 0xFFFF);
  const int dy = static_cast<int16_t>(now >> 16) - static_cast<int16_t>(pressed_at >> 16);
  return dx > threshold_x || dx < -threshold_x || dy > threshold_y || dy < -threshold_y;
}

ColorRule color_rule(int32_t front_color, int32_t back_color) {
  ColorRule rule{false, false, false, ColorAnswer::not_handled};
  if (front_color != -1) {
    rule.set_text_color = true;
    if (back_color == -1) {
      rule.set_system_background = true;
      rule.answer = ColorAnswer::system_brush;
    }
  }
  if (back_color != -1) {
    rule.set_back_background = true;
    rule.answer = ColorAnswer::back_brush;
  }
  return rule;
}
