// Message requester, modal blocking and the folder browser, driven from a helper thread with
// real clicks while the test thread sits in the system's modal loop.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <string>

#include "support/gui_driver.h"
#include "support/mouse_input_win.h"
#include "support/retry.h"
#include "ui/requester/requester.h"
#include "ui/requester/requester_internal.h"
#include "ui/window/window.h"

namespace {

HWND open_window(intptr_t number, int x, const char* title) {
  return reinterpret_cast<HWND>(window_open(number, x, 100, 160, 100, title, 0xC80000));
}

bool is_topmost(HWND w) { return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Waits on a helper thread for the thread's dialog, lets `act` look at it and press a button,
// and makes sure the dialog goes away even when the press was lost (the test then fails).
struct DialogDriver {
  std::atomic<bool> found{false};
  std::atomic<bool> closed_by_press{false};

  void run(DWORD thread, const char* title, const std::function<void(HWND)>& act) {
    HWND dialog = title ? gui::wait_for_window("#32770", title, 5000)
                        : gui::wait_for_thread_window(thread, "#32770", 5000);
    if (!dialog) return;
    found = true;
    Sleep(300);  // let the dialog finish setting itself up
    // Under Wine a real click is now and then not delivered: one more try before giving up.
    closed_by_press = test_support::click_until([&] { act(dialog); },
                                                [&] {
                                                  for (int i = 0; i < 50 && IsWindow(dialog); ++i)
                                                    Sleep(30);
                                                  return !IsWindow(dialog);
                                                },
                                                2);
    if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(30);
    if (IsWindow(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
  }
};

HWND button_with_text(HWND dialog, const char* text) {
  for (HWND b = FindWindowExA(dialog, nullptr, "Button", nullptr); b;
       b = FindWindowExA(dialog, b, "Button", nullptr)) {
    if (gui::window_text(b) == text && IsWindowVisible(b)) return b;
  }
  return nullptr;
}

class RequesterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool started = false;
    if (!started) {
      events_init();
      windows_init();
      requester_init();
      started = true;
    }
  }
  void TearDown() override {
    windows_end();
    gui::pump_for(100);
    event_purge(-1, -1, -1, -1);
  }
};

TEST_F(RequesterTest, MessageBoxIsOwnedByTheMainWindowAndBlocksTheOthersMeanwhile) {
  HWND main = open_window(0, 50, "Main");
  HWND other = open_window(1, 250, "Other");
  HWND disabled = open_window(2, 450, "Disabled");
  HWND topmost = open_window(3, 650, "Topmost");
  HWND hidden = reinterpret_cast<HWND>(window_open(4, 50, 300, 100, 100, "Hidden", window_hidden));
  ASSERT_TRUE(main && other && disabled && topmost && hidden);
  EnableWindow(disabled, FALSE);
  SetWindowPos(topmost, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  gui::bring_to_front(main, gui::pump_for);
  ASSERT_TRUE(is_topmost(topmost));

  DialogDriver driver;
  std::string text;
  HWND owner = nullptr;
  bool other_enabled = true, topmost_kept = true, hidden_enabled = false, main_enabled = true;
  int result = 0;
  {
    gui::AsyncTask helper([&] {
      driver.run(0, "Info", [&](HWND box) {
        text = gui::message_box_text(box);
        owner = GetWindow(box, GW_OWNER);
        other_enabled = IsWindowEnabled(other);
        topmost_kept = is_topmost(topmost);
        hidden_enabled = IsWindowEnabled(hidden);
        main_enabled = IsWindowEnabled(main);
        mouse::click(button_with_text(box, "OK"));
      });
    });
    result = request_message("Info", "Jar erfolgreich ausgew\xE4hlt");
  }
  ASSERT_TRUE(driver.found) << "no message box titled Info";
  EXPECT_TRUE(driver.closed_by_press);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(text, "Jar erfolgreich ausgew\xE4hlt");
  EXPECT_EQ(owner, main) << gui::class_name(owner) << " " << gui::window_text(owner);
  EXPECT_FALSE(other_enabled);
  EXPECT_FALSE(topmost_kept);
  EXPECT_TRUE(hidden_enabled);  // hidden windows are left alone
  EXPECT_FALSE(main_enabled);   // disabled by the box itself, as its owner
  // Everything as before.
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(IsWindowEnabled(other));
  EXPECT_FALSE(IsWindowEnabled(disabled));
  EXPECT_TRUE(is_topmost(topmost));
}

TEST_F(RequesterTest, NullTitleAndTextShowAnEmptyBoxAndFlagsChooseTheButtons) {
  HWND main = open_window(0, 50, "Main");
  gui::bring_to_front(main, gui::pump_for);
  const DWORD thread = GetCurrentThreadId();
  DialogDriver driver;
  std::string title = "?", text = "?";
  int result = 0;
  {
    gui::AsyncTask helper([&] {
      driver.run(thread, nullptr, [&](HWND box) {
        title = gui::window_text(box);
        text = gui::message_box_text(box);
        mouse::click(GetDlgItem(box, IDNO));
      });
    });
    result = request_message(nullptr, nullptr, MB_YESNO | MB_ICONQUESTION);
  }
  ASSERT_TRUE(driver.found);
  EXPECT_TRUE(driver.closed_by_press);
  EXPECT_EQ(title, "");
  EXPECT_EQ(text, "");
  EXPECT_EQ(result, IDNO);
}

TEST_F(RequesterTest, NestedModalPairsUndoOnlyTheirOwnChanges) {
  HWND main = open_window(0, 50, "Main");
  HWND other = open_window(1, 250, "Other");
  HWND topmost = open_window(2, 450, "Topmost");
  SetWindowPos(topmost, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  gui::bring_to_front(main, gui::pump_for);
  EXPECT_EQ(requester_owner_window(), main);

  modal_enter();
  EXPECT_TRUE(IsWindowEnabled(main));  // the foreground window is left to the dialog
  EXPECT_FALSE(IsWindowEnabled(other));
  EXPECT_FALSE(is_topmost(topmost));
  modal_enter();
  modal_leave();  // the inner pair found "other" disabled already: it stays so
  EXPECT_FALSE(IsWindowEnabled(other));
  EXPECT_FALSE(is_topmost(topmost));
  modal_leave();
  EXPECT_TRUE(IsWindowEnabled(other));
  EXPECT_TRUE(IsWindowEnabled(topmost));
  EXPECT_TRUE(is_topmost(topmost));
  modal_leave();  // unpaired: nothing left to undo
  EXPECT_TRUE(IsWindowEnabled(other));
}

TEST(PathInitialTextTest, CutsTo259AndDropsOneTrailingSeparatorExceptAtARoot) {
  char buffer[kPathBufferSize];
  path_initial_text("C:\\Games\\", buffer);
  EXPECT_STREQ(buffer, "C:\\Games");
  path_initial_text("C:\\", buffer);
  EXPECT_STREQ(buffer, "C:\\");
  path_initial_text("C:\\Games\\\\", buffer);
  EXPECT_STREQ(buffer, "C:\\Games\\");
  path_initial_text("%appdata%", buffer);
  EXPECT_STREQ(buffer, "%appdata%");
  path_initial_text(nullptr, buffer);
  EXPECT_STREQ(buffer, "");
  std::string long_path = "C:\\" + std::string(296, 'a') + "\\";
  path_initial_text(long_path.c_str(), buffer);
  EXPECT_EQ(std::string(buffer), long_path.substr(0, 259));
}

// Runs request_path while a helper thread drives the browser with `act`; `preselected` gets
// the text that the browser was asked to select first.
struct BrowseRun {
  std::string result;
  std::string preselected;
  bool found = false;
  bool closed_by_press = false;
};

BrowseRun browse(const char* initial, const std::function<void(HWND)>& act) {
  BrowseRun run;
  bool seen = false;
  gui::SentMessageRecorder recorder([&](const CWPSTRUCT& m) {
    if (m.message == BFFM_SETSELECTIONA && !seen && m.lParam) {
      seen = true;
      run.preselected = reinterpret_cast<const char*>(m.lParam);
    }
  });
  const DWORD thread = GetCurrentThreadId();
  DialogDriver driver;
  {
    gui::AsyncTask helper([&] { driver.run(thread, nullptr, act); });
    run.result = request_path("Minecraft Ordner", initial);
  }
  run.found = driver.found;
  run.closed_by_press = driver.closed_by_press;
  return run;
}

// The browser's buttons move while it lays itself out, so it is answered from the keyboard:
// Enter accepts, Escape cancels.
void select_and_accept(HWND dialog, const char* path) {
  SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path));
  Sleep(300);
  gui::press_key(VK_RETURN);
}

void cancel(HWND) { gui::press_key(VK_ESCAPE); }

TEST_F(RequesterTest, FolderBrowserGivesTheChosenFolderWithOneTrailingSeparator) {
  HWND main = open_window(0, 50, "Main");
  gui::bring_to_front(main, gui::pump_for);
  BrowseRun run =
      browse("C:\\windows\\", [](HWND d) { select_and_accept(d, "C:\\windows\\system32"); });
  ASSERT_TRUE(run.found);
  EXPECT_TRUE(run.closed_by_press);
  EXPECT_EQ(_stricmp(run.result.c_str(), "C:\\windows\\system32\\"), 0) << run.result;
  EXPECT_EQ(run.preselected, "C:\\windows");

  run = browse("C:\\", [](HWND d) { select_and_accept(d, "C:\\"); });
  ASSERT_TRUE(run.found);
  EXPECT_EQ(run.result, "C:\\");
  EXPECT_EQ(run.preselected, "C:\\");
}

TEST_F(RequesterTest, FolderBrowserCancelGivesNothingAndTheInitialTextArrivesAsGiven) {
  HWND main = open_window(0, 50, "Main");
  HWND other = open_window(1, 250, "Other");
  gui::bring_to_front(main, gui::pump_for);
  bool other_enabled = true;
  BrowseRun run = browse("%appdata%", [&](HWND d) {
    other_enabled = IsWindowEnabled(other);
    cancel(d);
  });
  ASSERT_TRUE(run.found);
  EXPECT_TRUE(run.closed_by_press);
  EXPECT_EQ(run.result, "");
  EXPECT_EQ(run.preselected, "%appdata%");
  EXPECT_FALSE(other_enabled);
  EXPECT_TRUE(IsWindowEnabled(other));

  std::string long_path = "C:\\" + std::string(297, 'x');
  run = browse(long_path.c_str(), cancel);
  ASSERT_TRUE(run.found);
  EXPECT_EQ(run.result, "");
  EXPECT_EQ(run.preselected, long_path.substr(0, 259));
}

}  // namespace
