// Platform-free rules of the gadget kinds: classes and styles per kind and flags, the drag
// threshold test of the list box and the colour rule of the coloured kinds.
#pragma once

#include <cstdint>

// What CreateWindowExA gets for a kind and its flags.
struct GadgetStyle {
  const char* class_name;
  uint32_t style;
  uint32_t ex_style;
  bool has_text;      // false: the control is created without window text
  bool static_frame;  // frame drawn by a "Static" control (subclassed so it never paints inside)
  bool three_state;   // check box that the toolkit toggles itself
};

GadgetStyle frame_style(uint32_t flags);
GadgetStyle button_style(uint32_t flags);
GadgetStyle checkbox_style(uint32_t flags);
GadgetStyle listbox_style(uint32_t flags);
GadgetStyle text_style(uint32_t flags);

// A press point (x low 16 bits, y high 16 bits, both signed) has become a drag at `now` when
// either coordinate moved beyond its threshold.
bool drag_started(uint32_t pressed_at, uint32_t now, int threshold_x, int threshold_y);

// Colour rule for a control-colour message: which device-context colours to set and which brush
// to answer with.
enum class ColorAnswer { not_handled, system_brush, back_brush };
struct ColorRule {
  bool set_text_color;         // SetTextColor(front_color)
  bool set_system_background;  // SetBkColor(system colour)
  bool set_back_background;    // SetBkColor(back_color)
  ColorAnswer answer;
};
ColorRule color_rule(int32_t front_color, int32_t back_color);
