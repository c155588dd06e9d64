// End-to-end: start-up, first run, the main window's layout, About, "Mehr Jars", the driver.
#include "e2e_fixture.h"

#include "app/identity.h"
#include "app/main_layout.h"

using namespace e2e_test;

TEST_F(PelmoraEndToEnd, FirstRunAsksOnceWritesPreferencesAndCreatesJarFolder) {
  DesktopFolder chosen("pelmora-e2e-" + std::to_string(GetCurrentProcessId()));
  ASSERT_TRUE(chosen.ok());
  ASSERT_TRUE(CreateDirectoryA((chosen.path() + "bin").c_str(), nullptr));
  ASSERT_TRUE(write_file(chosen.path() + "bin\\minecraft.jar", kOldClient));

  Pelmora p(root_);
  ASSERT_TRUE(p.started());
  std::string title;
  const HWND chooser = p.wait_chooser(&title);
  ASSERT_TRUE(chooser) << "the folder chooser did not appear";
  EXPECT_EQ(title, "Bitte w\xE4hlen sie ihren .minecraft Ordner!");
  EXPECT_TRUE(exists(root_ + "jar")) << "the jar folder is made before the chooser";
  e2e::save_screenshot(chooser, "folder-chooser");
  ASSERT_TRUE(p.chooser_select_desktop_folder(chooser, chosen.name()));
  ASSERT_TRUE(p.chooser_click(chooser, IDOK));

  ASSERT_TRUE(p.main_window()) << "no main window after choosing";
  ASSERT_TRUE(p.wait_list_filled());
  EXPECT_FALSE(p.wait_chooser(nullptr, 1000)) << "the chooser was shown a second time";
  EXPECT_EQ(read_file(root_ + "pref.ini"),
            "Version = 1.1\r\n[Minecraft]\r\n.minecraft = " + chosen.path() + "\r\n");
  const DWORD attributes = GetFileAttributesA((root_ + "jar").c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
  // The chosen folder holds the game's jar: no error at start, and the empty jar folder shows
  // the one entry with both buttons off.
  EXPECT_TRUE(p.no_box_for(500));
  EXPECT_EQ(p.list_count(), 1);
  EXPECT_EQ(p.list_item(0), "Keine JAR gefunden!");
  EXPECT_TRUE(p.enabled(kList));
  EXPECT_FALSE(p.enabled(kConfirm));
  EXPECT_FALSE(p.enabled(kActivate));
  EXPECT_TRUE(p.enabled(kBackup));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, FirstRunCancelledWritesAnEmptyGameFolder) {
  Pelmora p(root_);
  ASSERT_TRUE(p.started());
  const HWND chooser = p.wait_chooser(nullptr);
  ASSERT_TRUE(chooser);
  ASSERT_TRUE(p.chooser_click(chooser, IDCANCEL));
  // The empty game folder makes the client jar "bin\minecraft.jar" below the current folder.
  expect_box(p, "Fehler!", kGameJarMissing);
  ASSERT_TRUE(p.main_window());
  EXPECT_EQ(read_file(root_ + "pref.ini"), "Version = 1.1\r\n[Minecraft]\r\n.minecraft = \r\n");
  EXPECT_FALSE(p.wait_chooser(nullptr, 500));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, PreferencesWithoutGroupOrKeyGiveAnEmptyGameFolder) {
  make_standard_layout();
  const char* variants[] = {
      "Version = 1.1\r\n",                              // no group
      "Version = 1.1\r\n[Minecraft]\r\nother = x\r\n",  // no key
      "[Other]\r\n.minecraft = C:\\elsewhere\\\r\n",    // key in another group
  };
  for (const char* prefs : variants) {
    SCOPED_TRACE(prefs);
    ASSERT_TRUE(write_file(root_ + "pref.ini", prefs));
    Pelmora p(root_);
    ASSERT_TRUE(p.started());
    expect_box(p, "Fehler!", kGameJarMissing);
    ASSERT_TRUE(p.main_window());
    EXPECT_FALSE(p.wait_chooser(nullptr, 300)) << "an existing pref.ini must not ask again";
    EXPECT_EQ(read_file(root_ + "pref.ini"), prefs) << "pref.ini is written only on the first run";
    close_and_expect_exit(p);
  }
}

TEST_F(PelmoraEndToEnd, AFileNamedJarListsNothing) {
  ASSERT_TRUE(write_file(root_ + "jar", "not a folder"));
  ASSERT_TRUE(CreateDirectoryA(game().c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((game() + "bin").c_str(), nullptr));
  ASSERT_TRUE(write_file(client(), kOldClient));
  write_prefs(game());
  Pelmora p(root_);
  start(p);
  EXPECT_EQ(p.list_count(), 1);
  EXPECT_EQ(p.list_item(0), "Keine JAR gefunden!");
  EXPECT_FALSE(p.enabled(kConfirm));
  EXPECT_FALSE(p.enabled(kActivate));
  EXPECT_EQ(read_file(root_ + "jar"), "not a folder");
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, MainWindowLayoutTextsAndStartState) {
  make_standard_layout();
  Pelmora p(root_);
  start(p, 3);
  const HWND main = p.main_window();
  RECT outer, inner;
  GetWindowRect(main, &outer);
  GetClientRect(main, &inner);
  EXPECT_EQ(outer.left, main_layout::kWindow.x);
  EXPECT_EQ(outer.top, main_layout::kWindow.y);
  EXPECT_EQ(inner.right, main_layout::kWindow.width);
  EXPECT_EQ(inner.bottom, main_layout::kWindow.height);
  EXPECT_EQ(e2e::read_text(main), PELMORA_PRODUCT_NAME " v" PELMORA_VERSION_TEXT);

  POINT origin = {0, 0};
  ClientToScreen(main, &origin);
  for (const main_layout::Gadget& g : main_layout::kGadgets) {
    if (g.kind == main_layout::Kind::listbox) continue;  // its height follows its items
    SCOPED_TRACE(g.number);
    const HWND control = p.gadget(static_cast<int>(g.number));
    ASSERT_TRUE(control);
    RECT r;
    GetWindowRect(control, &r);
    EXPECT_EQ(r.left - origin.x, g.x);
    EXPECT_EQ(r.top - origin.y, g.y);
    EXPECT_EQ(r.right - r.left, g.width);
    EXPECT_EQ(r.bottom - r.top, g.height);
    EXPECT_EQ(p.text(static_cast<int>(g.number)), g.text);
  }
  EXPECT_FALSE(p.gadget(4)) << "there is no gadget 4";
  // The umlaut reached Windows as the Windows-1252 byte E4, which is U+00E4 in Unicode.
  WCHAR wide[64] = {};
  GetWindowTextW(p.gadget(0), wide, 64);
  EXPECT_EQ(std::wstring(wide), L"JAR ausw\u00E4hlen");

  // Choosing: everything on but "Aktivieren"; check box clear; jars in listing order.
  EXPECT_EQ(p.list_count(), 3);
  EXPECT_EQ(p.list_item(0), "a.jar");
  EXPECT_EQ(p.list_item(1), "b.jar");
  EXPECT_EQ(p.list_item(2), "c.jar");
  for (int on : {kList, kConfirm, kBackup, kBackupText, kAbout, kMoreJars}) {
    EXPECT_TRUE(p.enabled(on)) << on;
  }
  EXPECT_FALSE(p.enabled(kActivate));
  EXPECT_EQ(p.check_state(kBackup), BST_UNCHECKED);
  e2e::save_screenshot(main, "main-window-choosing");

  // "Jar auswählen" without a choice does nothing.
  ASSERT_TRUE(p.click_gadget(kConfirm));
  EXPECT_TRUE(p.enabled(kList));
  EXPECT_TRUE(p.enabled(kConfirm));
  EXPECT_FALSE(p.enabled(kActivate));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, MissingGameJarIsReportedBeforeTheListIsFilled) {
  make_standard_layout(/*with_client=*/false);
  Pelmora p(root_);
  ASSERT_TRUE(p.started());
  Box box;
  ASSERT_TRUE(p.wait_box(&box));
  EXPECT_EQ(box.title, "Fehler!");
  EXPECT_EQ(box.text, kGameJarMissing);
  ASSERT_TRUE(p.main_window());
  EXPECT_EQ(p.list_count(), 0) << "the list is filled only after the message";
  EXPECT_EQ(p.text(kBackupText), "Minecraft Jar nicht gefunden!");
  e2e::save_screenshot(box.window, "error-box");
  ASSERT_TRUE(p.answer(box));
  ASSERT_TRUE(p.wait_list_filled(3));
  EXPECT_FALSE(p.enabled(kBackup));
  EXPECT_FALSE(p.enabled(kBackupText));
  // Installing still works and creates the client jar.
  choose_and_confirm(p, 0);
  ASSERT_TRUE(p.click_gadget(kActivate));
  expect_box(p, "Info", kInstalled);
  EXPECT_EQ(read_file(client()), kJarA);
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, GameFolderWithoutTrailingSeparatorIsJoinedAsWritten) {
  make_standard_layout();
  std::string folder = game();
  folder.pop_back();
  write_prefs(folder);
  Pelmora p(root_);
  ASSERT_TRUE(p.started());
  expect_box(p, "Fehler!", kGameJarMissing);
  ASSERT_TRUE(p.main_window());
  EXPECT_FALSE(p.enabled(kBackup));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, AboutShowsItsTextOncePerClick) {
  make_standard_layout();
  Pelmora p(root_);
  start(p, 3);
  for (int click = 0; click < 2; ++click) {
    ASSERT_TRUE(p.click_gadget(kAbout));
    Box box;
    ASSERT_TRUE(p.wait_box(&box));
    EXPECT_EQ(box.title, "About " PELMORA_PRODUCT_NAME);
    EXPECT_EQ(box.text,
              "Version: " PELMORA_VERSION_TEXT " | Programmierer: " PELMORA_AUTHOR
              " | Jahr: " PELMORA_YEAR " | Monat: " PELMORA_MONTH " | Website: " PELMORA_WEB_HOST);
    if (click == 0) e2e::save_screenshot(box.window, "about-box");
    ASSERT_TRUE(p.answer(box));
    EXPECT_TRUE(p.no_box_for(700)) << "one About box per click";
  }
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, MoreJarsOpensTheDownloadPageAndEnds) {
  make_standard_layout();
  const std::string record = root_ + "opened.txt";
  e2e::WebHandlerRecorder handler(record);
  ASSERT_TRUE(handler.ok());
  Pelmora p(root_);
  start(p, 3);
  ASSERT_TRUE(p.click_gadget(kMoreJars));
  EXPECT_EQ(p.wait_exit(), 0);
  const DWORD start = GetTickCount();
  while (!exists(record) && GetTickCount() - start < 10000) Sleep(50);
  EXPECT_EQ(read_file(record), std::string(PELMORA_DOWNLOAD_PAGE) + "\n");
}

// The driver's reads of another thread's windows: an answer is returned as it is, a window that
// does not answer ends the read with the read and the window named, and a window that has gone
// reads as nothing. A list box on a helper thread stands in for the program.
TEST(EndToEndDriver, ReadsAnswerFailWhenUnansweredAndReadNothingWhenGone) {
  HWND list = nullptr;
  const win::Handle made_event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const win::Handle stall_event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const win::Handle stalled_event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const win::Handle end_event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const HANDLE made = made_event.get(), stall = stall_event.get(), stalled = stalled_event.get(),
               end = end_event.get();
  std::thread owner([&] {
    list = CreateWindowExA(0, "LISTBOX", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                           nullptr);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("only.jar"));
    SetEvent(made);
    // Answers messages until told to stall, then takes none until told to end.
    while (MsgWaitForMultipleObjects(1, &stall, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    SetEvent(stalled);
    WaitForSingleObject(end, 30000);
    DestroyWindow(list);
  });
  // Expectations only up to the join: the helper thread must end in every case.
  EXPECT_EQ(WaitForSingleObject(made, 5000), WAIT_OBJECT_0);
  EXPECT_NE(list, nullptr);
  EXPECT_EQ(e2e::read_window(list, LB_GETCOUNT, 0, 0, "LB_GETCOUNT", -1), 1);

  SetEvent(stall);
  EXPECT_EQ(WaitForSingleObject(stalled, 5000), WAIT_OBJECT_0);
  std::string failure = "<no failure>";
  const DWORD start = GetTickCount();
  try {
    e2e::read_window(list, LB_GETCOUNT, 0, 0, "LB_GETCOUNT", -1, 500);
  } catch (const e2e::Unanswered& unanswered) {
    failure = unanswered.what();
  }
  EXPECT_LT(GetTickCount() - start, 3000u) << "the read waited far beyond its limit";
  EXPECT_TRUE(contains(failure, "LB_GETCOUNT")) << failure;
  EXPECT_TRUE(contains(failure, "ListBox")) << failure;
  EXPECT_TRUE(contains(failure, "500 ms")) << failure;

  SetEvent(end);
  owner.join();
  EXPECT_EQ(e2e::read_window(list, LB_GETCOUNT, 0, 0, "LB_GETCOUNT", -1), -1);
  EXPECT_EQ(e2e::read_text(list), "");
}
