// Window 0 opened in this process, for what it asks of the system as it opens.
#include <windows.h>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "app/app_state.h"
#include "runtime/runtime.h"
#include "support/detour_win.h"
#include "support/scratch_folder_win.h"
#include "ui/gadget/gadget.h"
#include "ui/window/window.h"

namespace {

using FilterCall = std::tuple<HWND, UINT, DWORD>;
constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
std::vector<FilterCall> filter_calls;

BOOL WINAPI record_filter(HWND window, UINT message, DWORD action, void*) {
  filter_calls.emplace_back(window, message, action);
  return TRUE;
}

// The program runs elevated; window 0 must let the messages of a drop from the unelevated file
// manager through. Wine blocks nothing, so the calls of the filter are recorded instead.
TEST(MainWindow, LetsTheMessagesOfADropThroughTheFilter) {
  LibrarySteps steps{};
  steps.events_init = events_init;
  steps.windows_init = windows_init;
  steps.gadget_toolkit_init = []() { gadget_toolkit_init(); };
  runtime_startup(steps);
  test_support::ScratchFolder game;
  ASSERT_TRUE(CreateDirectoryA((game / "bin").c_str(), nullptr));
  ASSERT_TRUE(game.write("bin\\minecraft.jar", "a client jar, so that no message box opens"));
  AppState app;
  app.game_folder = game.path();
  {
    test_support::Detour detour(reinterpret_cast<void*>(GetProcAddress(
                                    GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx")),
                                reinterpret_cast<void*>(record_filter));
    ASSERT_TRUE(detour.ok());
    ASSERT_TRUE(open_main_window(app));
  }
  const HWND window = window_handle(kMainWindow);
  EXPECT_EQ(filter_calls, (std::vector<FilterCall>{{window, WM_DROPFILES, kAllow},
                                                   {window, WM_COPYDATA, kAllow},
                                                   {window, 0x0049, kAllow}}));
  window_close(kMainWindow);
}

}  // namespace
