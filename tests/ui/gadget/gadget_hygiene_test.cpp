// Resource hygiene: opening and closing a window with all five gadget kinds a thousand times
// leaves the process's GDI, USER and kernel handle counts where they were.
#include <cstdio>

#include "tests/ui/gadget/gadget_test_support.h"

namespace {

struct ResourceCounts {
  DWORD gdi = 0;
  DWORD user = 0;
  DWORD handles = 0;
};

// Wine answers GetGuiResources with 0 and fails GetProcessHandleCount, so under Wine the counts
// are taken by probing instead (see the fallbacks below); on Windows the system's counts serve.

// Wine's GDI handles are a table index in the low word; a handle with a zero high word matches
// the entry whatever its generation, so probing every index counts the live GDI objects.
DWORD probe_gdi_objects() {
  DWORD count = 0;
  for (uintptr_t index = 1; index < 0x10000; ++index) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  }
  return count;
}

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

// Kernel handles are multiples of 4; every valid one answers GetHandleInformation.
DWORD probe_kernel_handles() {
  DWORD count = 0;
  for (uintptr_t value = 4; value < 0x10000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

ResourceCounts measure() {
  ResourceCounts counts;
  counts.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (counts.gdi == 0) counts.gdi = probe_gdi_objects();
  counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (counts.user == 0) counts.user = count_thread_windows();
  if (!GetProcessHandleCount(GetCurrentProcess(), &counts.handles) || counts.handles == 0) {
    counts.handles = probe_kernel_handles();
  }
  return counts;
}

// One cycle: window 0 with every kind, colours (brushes) and list items, then closed.
bool open_fill_close(int cycle) {
  if (window_open(0, 337, 189, 257, 266, "Pelmora v1.3", gadget_test::kMainWindowFlags) == 0) {
    return false;
  }
  bool ok = gadget_frame_create(0, 10, 10, 240, 90, "JAR ausw\xE4hlen", 0) != 0 &&
            gadget_frame_create(1, 10, 100, 240, 50, nullptr, 1 + cycle % 3) != 0 &&
            gadget_button_create(2, 10, 190, 240, 40, "Aktivieren", 0) != 0 &&
            gadget_listbox_create(3, 20, 30, 220, 20, 0) != 0 &&
            gadget_checkbox_create(6, 20, 120, 120, 10, "Backup Minecraft Jar", 1) != 0 &&
            gadget_text_create(7, 40, 130, 170, 20, "(.minecraft\\bin\\backup)", 0) != 0 &&
            gadget_text_create(-1, 40, 150, 170, 20, "auto", 0x20000) != 0;
  gadget_item_add(3, -1, "a.jar");
  gadget_item_add(3, 0, "b.jar");
  gadget_text_set(3, "a.jar");
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
