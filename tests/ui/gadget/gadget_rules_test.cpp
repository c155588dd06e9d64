// Platform-free rules of the gadget kinds: classes and styles, drag thresholds, colour rule.
#include <gtest/gtest.h>

#include <string>

#include "ui/gadget/gadget_rules.h"

namespace {

TEST(GadgetRules, CheckBoxIsThreeStateOnlyWhenFlagsHoldBothBitsOfFive) {
  EXPECT_EQ(checkbox_style(0).style, 0x50030003u);
  EXPECT_EQ(checkbox_style(1).style, 0x50030003u);
  EXPECT_FALSE(checkbox_style(1).three_state);
  EXPECT_EQ(checkbox_style(4).style, 0x50030007u);  // (4 & 5) != 5: bits 0 and 1 forced on
  EXPECT_FALSE(checkbox_style(4).three_state);
  EXPECT_EQ(checkbox_style(5).style, 0x50030005u);
  EXPECT_TRUE(checkbox_style(5).three_state);
  EXPECT_TRUE(checkbox_style(0x25).three_state);
  EXPECT_EQ(checkbox_style(0x25).style, 0x50030025u);
}

TEST(GadgetRules, FramesByFlags) {
  EXPECT_EQ(std::string(frame_style(0).class_name), "Button");
  EXPECT_TRUE(frame_style(0).has_text);
  EXPECT_FALSE(frame_style(0).static_frame);
  for (uint32_t flags : {1u, 2u, 3u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(flags);
    EXPECT_EQ(std::string(frame_style(flags).class_name), "Static");
    EXPECT_FALSE(frame_style(flags).has_text);
    EXPECT_TRUE(frame_style(flags).static_frame);
  }
  EXPECT_EQ(frame_style(1).ex_style, 0x200u);
  EXPECT_EQ(frame_style(2).ex_style, 0x20000u);
  EXPECT_EQ(frame_style(3).ex_style, 0u);
  EXPECT_EQ(frame_style(3).style, 0x50820001u);
}

TEST(GadgetRules, TextEdgeFollowsTheGroupBit) {
  EXPECT_EQ(text_style(0).ex_style, 0u);
  EXPECT_EQ(text_style(0x20000).ex_style, 0x200u);
  EXPECT_EQ(text_style(0x20000).style, 0x50020000u);
  EXPECT_EQ(listbox_style(0x800).style, 0x50330941u);
  EXPECT_EQ(button_style(1).style, 0x50030001u);
}

TEST(GadgetRules, DragStartsOnlyBeyondTheThresholds) {
  auto at = [](int x, int y) {
    return (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) | static_cast<uint16_t>(x);
  };
  EXPECT_FALSE(drag_started(at(10, 10), at(14, 10), 4, 4));
  EXPECT_TRUE(drag_started(at(10, 10), at(15, 10), 4, 4));
  EXPECT_FALSE(drag_started(at(10, 10), at(6, 14), 4, 4));
  EXPECT_TRUE(drag_started(at(10, 10), at(5, 10), 4, 4));
  EXPECT_TRUE(drag_started(at(10, 10), at(10, 15), 4, 4));
  EXPECT_TRUE(drag_started(at(10, 10), at(10, 5), 4, 4));
  // Coordinates are signed 16-bit: a pointer left of the control under capture.
  EXPECT_FALSE(drag_started(at(1, 0), at(-3, 0), 4, 4));
  EXPECT_TRUE(drag_started(at(1, 0), at(-4, 0), 4, 4));
}

TEST(GadgetRules, ColourRuleThreeCases) {
  const ColorRule none = color_rule(-1, -1);
  EXPECT_FALSE(none.set_text_color || none.set_system_background || none.set_back_background);
  EXPECT_EQ(none.answer, ColorAnswer::not_handled);

  const ColorRule text_only = color_rule(0xFF, -1);
  EXPECT_TRUE(text_only.set_text_color);
  EXPECT_TRUE(text_only.set_system_background);
  EXPECT_EQ(text_only.answer, ColorAnswer::system_brush);

  const ColorRule back_only = color_rule(-1, 0x00FF00);
  EXPECT_FALSE(back_only.set_text_color);
  EXPECT_FALSE(back_only.set_system_background);
  EXPECT_TRUE(back_only.set_back_background);
  EXPECT_EQ(back_only.answer, ColorAnswer::back_brush);

  const ColorRule both = color_rule(0, 0);  // black is a colour, not the default
  EXPECT_TRUE(both.set_text_color);
  EXPECT_FALSE(both.set_system_background);
  EXPECT_EQ(both.answer, ColorAnswer::back_brush);
}

}  // namespace
