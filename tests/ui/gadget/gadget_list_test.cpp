// Gadget lists: which window receives new gadgets, parking a window's list in its
// "GX_GadgetStack_%i" property, and what destroying the current window does.
#include <cstdio>
#include <vector>

#include "tests/ui/gadget/gadget_test_support.h"
#include "ui/window/window_properties.h"

namespace {

using sample_form::kFlags;

std::string stack_property_name() {
  char name[48];
  std::snprintf(name, sizeof(name), "%s%i", kPropGadgetStackPrefix,
                static_cast<int>(reinterpret_cast<intptr_t>(runtime_instance())));
  return name;
}

BOOL CALLBACK collect_stack_property(HWND, LPSTR name, HANDLE, ULONG_PTR context) {
  // Atoms (no string name) have a high word of zero.
  if ((reinterpret_cast<uintptr_t>(name) >> 16) != 0 &&
      std::string(name).rfind(kPropGadgetStackPrefix, 0) == 0) {
    reinterpret_cast<std::vector<std::string>*>(context)->push_back(name);
  }
  return TRUE;
}

// Names of a window's properties that start with "GX_GadgetStack_".
std::vector<std::string> stack_properties(HWND window) {
  std::vector<std::string> names;
  EnumPropsExA(window, collect_stack_property, reinterpret_cast<LPARAM>(&names));
  return names;
}

class GadgetLists : public ::testing::Test {
 protected:
  HWND open(intptr_t number, uint32_t extra_flags = 0) {
    return reinterpret_cast<HWND>(window_open(number, 100 + 30 * static_cast<int>(number), 100, 200,
                                              150, "list", sample_form::kFlags | extra_flags));
  }
  HWND parent_of_new_gadget(intptr_t number) {
    HWND control = reinterpret_cast<HWND>(gadget_button_create(number, 0, 0, 40, 20, "b", 0));
    return control != nullptr ? GetParent(control) : nullptr;
  }
  void TearDown() override {
    for (intptr_t n = 0; n < 4; ++n) window_close(n);
    gadget_test::drain_events();
  }
};

TEST_F(GadgetLists, ParkingAndRestoringBetweenTwoWindows) {
  HWND a = open(0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(gadget_list_select(nullptr), a);  // the first window opened is current
  HWND b = open(1);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(gadget_list_select(nullptr), b);
  EXPECT_EQ(parent_of_new_gadget(10), b);

  EXPECT_EQ(gadget_list_select(a), b);
  EXPECT_EQ(parent_of_new_gadget(11), a);
  EXPECT_EQ(gadget_list_select(b), a);
  EXPECT_EQ(parent_of_new_gadget(12), b);
  EXPECT_EQ(gadget_list_select(a), b);
  EXPECT_EQ(parent_of_new_gadget(13), a);

  // Selecting the current window again changes nothing.
  EXPECT_EQ(gadget_list_select(a), a);
  EXPECT_EQ(gadget_list_select(nullptr), a);
  EXPECT_EQ(parent_of_new_gadget(14), a);

  // Exactly one property per window, named after the module instance.
  const std::vector<std::string> expected = {stack_property_name()};
  EXPECT_EQ(stack_properties(a), expected);
  EXPECT_EQ(stack_properties(b), expected);
}

TEST_F(GadgetLists, AWindowOpenedWithoutItsListLeavesTheCurrentOne) {
  HWND a = open(0);
  HWND b = open(1, window_no_gadget_list);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(gadget_list_select(nullptr), a);
  EXPECT_TRUE(stack_properties(b).empty());
  EXPECT_EQ(parent_of_new_gadget(10), a);
  // Its first selection attaches its list.
  EXPECT_EQ(gadget_list_select(b), a);
  EXPECT_EQ(stack_properties(b).size(), 1u);
  EXPECT_EQ(parent_of_new_gadget(11), b);
}

TEST_F(GadgetLists, DestroyingTheCurrentWindowLeavesNoList) {
  HWND a = open(0);
  HWND b = open(1);
  ASSERT_NE(b, nullptr);
  window_close(1);
  EXPECT_EQ(gadget_list_select(nullptr), nullptr);
  EXPECT_EQ(gadget_button_create(20, 0, 0, 40, 20, "nowhere", 0), 0);
  EXPECT_EQ(gadget_listbox_create(-1, 0, 0, 40, 20, 0), 0);
  // The parked window comes back with its own list.
  EXPECT_EQ(gadget_list_select(a), nullptr);
  EXPECT_EQ(parent_of_new_gadget(21), a);
  EXPECT_EQ(stack_properties(a).size(), 1u);

  // Destroying a parked window while another is current leaves the current one alone.
  HWND c = open(2);
  EXPECT_EQ(gadget_list_select(nullptr), c);
  window_close(0);
  EXPECT_EQ(gadget_list_select(nullptr), c);
  EXPECT_EQ(parent_of_new_gadget(22), c);
}

TEST_F(GadgetLists, ReopeningANumberSelectsTheNewWindow) {
  HWND first = open(0);
  HWND second = open(0);
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(gadget_list_select(nullptr), second);
  EXPECT_EQ(parent_of_new_gadget(1), second);
}

}  // namespace
