// Colour slots, the colour rule answered to the parent's control-colour messages, and the
// shared brush cache.
#include "tests/ui/gadget/gadget_test_support.h"

namespace {

using gadget_test::MainWindowTest;

// A memory device context for the control-colour messages.
class MemoryDc {
 public:
  MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
  ~MemoryDc() { DeleteDC(dc_); }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class GadgetColors : public MainWindowTest {
 protected:
  // What the parent window answers for the control's colour message.
  LRESULT color_answer(intptr_t number, UINT message, HDC dc) {
    return SendMessageA(window_, message, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(gadget_handle(number)));
  }
  static COLORREF brush_color(HBRUSH brush) {
    LOGBRUSH info{};
    GetObjectA(brush, sizeof(info), &info);
    return info.lbColor;
  }
};

TEST_F(GadgetColors, ColourRuleForTextAndList) {
  struct Kind {
    const char* name;
    intptr_t number;
    UINT message;
    int system_color;
  };
  ASSERT_NE(gadget_text_create(7, 40, 130, 170, 20, "Static text", 0), 0);
  ASSERT_NE(gadget_listbox_create(3, 20, 30, 220, 60, 0), 0);
  const Kind kinds[] = {{"text", 7, WM_CTLCOLORSTATIC, COLOR_BTNFACE},
                        {"list box", 3, WM_CTLCOLORLISTBOX, COLOR_WINDOW}};
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.name);
    MemoryDc dc;
    EXPECT_EQ(gadget_color_get(k.number, gadget_color_front), -1);
    EXPECT_EQ(gadget_color_get(k.number, gadget_color_back), -1);
    EXPECT_EQ(gadget_color_get(k.number, 3), -1);

    // No colours: the default handling answers, as for any control.
    SetTextColor(dc.get(), RGB(1, 2, 3));
    const LRESULT plain = color_answer(k.number, k.message, dc.get());
    EXPECT_EQ(plain, DefWindowProcA(window_, k.message, reinterpret_cast<WPARAM>(dc.get()),
                                    reinterpret_cast<LPARAM>(gadget_handle(k.number))));

    // Only a text colour: system background and the system brush.
    EXPECT_NE(gadget_color_set(k.number, gadget_color_front, RGB(255, 0, 0)), 0);
    EXPECT_EQ(color_answer(k.number, k.message, dc.get()),
              reinterpret_cast<LRESULT>(GetSysColorBrush(k.system_color)));
    EXPECT_EQ(GetTextColor(dc.get()), RGB(255, 0, 0));
    EXPECT_EQ(GetBkColor(dc.get()), GetSysColor(k.system_color));

    // A background colour: its cached brush.
    EXPECT_NE(gadget_color_set(k.number, gadget_color_back, RGB(0, 128, 0)), 0);
    EXPECT_EQ(gadget_color_get(k.number, gadget_color_back), RGB(0, 128, 0));
    const auto brush = reinterpret_cast<HBRUSH>(color_answer(k.number, k.message, dc.get()));
    EXPECT_EQ(brush_color(brush), RGB(0, 128, 0));
    EXPECT_EQ(GetBkColor(dc.get()), RGB(0, 128, 0));
    EXPECT_EQ(GetTextColor(dc.get()), RGB(255, 0, 0));

    // Both back to the defaults: painted by the default handling again, brush deleted.
    gadget_color_set(k.number, gadget_color_back, -1);
    EXPECT_EQ(GetObjectType(brush), 0u);
    gadget_color_set(k.number, gadget_color_front, -1);
    EXPECT_EQ(color_answer(k.number, k.message, dc.get()), plain);
  }
  // Kinds without colour slots.
  ASSERT_NE(gadget_button_create(2, 10, 190, 240, 40, "Wide button", 0), 0);
  EXPECT_EQ(gadget_color_set(2, gadget_color_back, RGB(1, 1, 1)), 0);
  EXPECT_EQ(gadget_color_get(2, gadget_color_back), -1);
}

TEST_F(GadgetColors, GadgetsWithOneColourShareOneBrushUntilTheLastLetsGo) {
  ASSERT_NE(gadget_text_create(1, 0, 0, 100, 20, "one", 0), 0);
  ASSERT_NE(gadget_text_create(2, 0, 30, 100, 20, "two", 0), 0);
  ASSERT_NE(gadget_listbox_create(3, 0, 60, 100, 60, 0), 0);
  const COLORREF shared = RGB(12, 34, 56);
  gadget_color_set(1, gadget_color_back, shared);
  gadget_color_set(2, gadget_color_back, shared);
  gadget_color_set(3, gadget_color_back, RGB(200, 0, 0));
  MemoryDc dc;
  const auto brush1 = reinterpret_cast<HBRUSH>(color_answer(1, WM_CTLCOLORSTATIC, dc.get()));
  const auto brush2 = reinterpret_cast<HBRUSH>(color_answer(2, WM_CTLCOLORSTATIC, dc.get()));
  const auto brush3 = reinterpret_cast<HBRUSH>(color_answer(3, WM_CTLCOLORLISTBOX, dc.get()));
  ASSERT_NE(brush1, nullptr);
  EXPECT_EQ(brush1, brush2);
  EXPECT_NE(brush1, brush3);
  EXPECT_EQ(brush_color(brush1), shared);

  // One gadget destroyed: the other still holds the brush.
  ASSERT_NE(gadget_destroy_by_number(1), 0);
  EXPECT_EQ(GetObjectType(brush1), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(color_answer(2, WM_CTLCOLORSTATIC, dc.get())), brush1);
  // The last one changes colour: the brush is deleted.
  gadget_color_set(2, gadget_color_back, RGB(1, 2, 3));
  EXPECT_EQ(GetObjectType(brush1), 0u);
  const auto brush2b = reinterpret_cast<HBRUSH>(color_answer(2, WM_CTLCOLORSTATIC, dc.get()));
  EXPECT_EQ(brush_color(brush2b), RGB(1, 2, 3));
  // A gadget that takes the colour of another shares that gadget's brush.
  gadget_color_set(3, gadget_color_back, RGB(1, 2, 3));
  const auto brush3b = reinterpret_cast<HBRUSH>(color_answer(3, WM_CTLCOLORLISTBOX, dc.get()));
  EXPECT_EQ(brush3b, brush2b);
  EXPECT_EQ(GetObjectType(brush3), 0u);  // its old colour had no other user
  // The brush goes when the window with both gadgets is closed.
  window_close(0);
  EXPECT_EQ(GetObjectType(brush2b), 0u);
}

}  // namespace
