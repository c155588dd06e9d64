// Resource hygiene: opening and closing a window with all five gadget kinds a thousand times
// leaves the process's GDI, USER and kernel handle counts where they were.
#include <cstdio>

#include "support/resource_counts_win.h"
#include "tests/ui/gadget/gadget_test_support.h"

namespace {

using test_support::ResourceCounts;

BOOL CALLBACK count_window(HWND window, LPARAM counter) {
  ++*reinterpret_cast<DWORD*>(counter);
  EnumChildWindows(window, count_window, counter);
  return TRUE;
}

// Windows of this thread, top-level and children.
DWORD count_thread_windows() {
  DWORD count = 0;
  EnumThreadWindows(GetCurrentThreadId(), count_window, reinterpret_cast<LPARAM>(&count));
  return count;
}

ResourceCounts measure() {
  ResourceCounts counts;
  counts.gdi = test_support::count_gdi_objects();
  counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (counts.user == 0) counts.user = count_thread_windows();
  counts.handles = test_support::count_kernel_handles();
  return counts;
}

// One cycle: window 0 with every kind, colours (brushes) and list items, then closed.
bool open_fill_close(int cycle) {
  if (sample_form::open_window() == 0) return false;
  // The sample form with another frame style each cycle and one more text of automatic number.
  sample_form::Gadget second = sample_form::kGadgets[1];
  second.text = nullptr;
  second.flags = 1 + cycle % 3;
  bool ok = sample_form::create_all() && sample_form::create(second) != 0 &&
            gadget_text_create(-1, 40, 150, 170, 20, "auto", 0x20000) != 0;
  gadget_item_add(3, -1, "first");
  gadget_item_add(3, 0, "second");
  gadget_text_set(3, "first");
  // A colour per cycle and one shared by two gadgets: brushes are made and given back.
  gadget_color_set(3, gadget_color_back, RGB(cycle % 256, 10, 20));
  gadget_color_set(7, gadget_color_back, RGB(cycle % 256, 10, 20));
  gadget_color_set(7, gadget_color_front, RGB(0, 0, 255));
  gadget_disable(2, 1);
  gadget_test::drain_events();
  HDC dc = CreateCompatibleDC(nullptr);
  const auto brush = reinterpret_cast<HGDIOBJ>(
      SendMessageA(window_handle(0), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(gadget_handle(7))));
  DeleteDC(dc);
  ok = ok && GetObjectType(brush) == OBJ_BRUSH;
  window_close(0);
  gadget_test::drain_events();
  return ok && GetObjectType(brush) == 0;  // the shared brush went with its last gadget
}

TEST(GadgetHygiene, ThousandOpenCloseCyclesLeaveResourceCountsUnchanged) {
  // The first cycles set up one-time things (kind tables, Wine's cached regions and system
  // brushes, which settle within the first four cycles); count after them.
  for (int cycle = 0; cycle < 8; ++cycle) ASSERT_TRUE(open_fill_close(cycle)) << "cycle " << cycle;
  const ResourceCounts before = measure();
  for (int cycle = 8; cycle < 1008; ++cycle) {
    ASSERT_TRUE(open_fill_close(cycle)) << "cycle " << cycle;
  }
  const ResourceCounts after = measure();
  std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu, handles %lu -> %lu\n", before.gdi,
              after.gdi, before.user, after.user, before.handles, after.handles);
  EXPECT_EQ(after.gdi, before.gdi);
  EXPECT_EQ(after.user, before.user);
  EXPECT_EQ(after.handles, before.handles);
  for (intptr_t n = 0; n < 10; ++n) EXPECT_EQ(gadget_handle(n), nullptr) << n;
}

}  // namespace
