// End-to-end: jars dropped from the file manager.
#include "e2e_fixture.h"

#include "support/gui_driver.h"

using namespace e2e_test;

TEST_F(PelmoraEndToEnd, DroppedJarsAreCheckedCopiedAndListed) {
  make_standard_layout();
  const std::string incoming = root_ + "incoming\\";
  ASSERT_TRUE(CreateDirectoryA(incoming.c_str(), nullptr));
  const std::string fresh = jar("a new jar"), newer_b = jar("a newer b.jar");
  ASSERT_TRUE(write_file(incoming + "new.jar", fresh));
  ASSERT_TRUE(write_file(incoming + "b.jar", newer_b));
  ASSERT_TRUE(write_file(incoming + "notes.txt", "text"));
  ASSERT_TRUE(write_file(incoming + "bad.jar", "<html>404</html>"));
  ASSERT_TRUE(write_file(incoming + "zz.jar", fresh));
  ASSERT_TRUE(CreateDirectoryA((incoming + "folder.jar").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((root_ + "jar\\zz.jar").c_str(), nullptr));
  Pelmora p(root_);
  start(p, 3);
  // Window 0 lets the three messages of a drop through the elevated window's filter.
  EXPECT_EQ(GetPropA(p.main_window(), "Pelmora_DropFilter"), reinterpret_cast<HANDLE>(7));
  Box box;
  {
    // The file manager is in front while it drops.
    const gui::ForeignWindow file_manager("file manager", WS_POPUP | WS_VISIBLE, {0, 0, 200, 100},
                                          true);
    ASSERT_TRUE(p.drop_files({incoming + "new.jar", incoming + "b.jar", incoming + "notes.txt",
                              incoming + "bad.jar", incoming + "folder.jar", incoming + "zz.jar",
                              root_ + "jar\\a.jar"}));
    ASSERT_TRUE(p.wait_box(&box));
    EXPECT_EQ(box.title, "Frage");
    EXPECT_EQ(box.text, "Im Jar-Ordner liegt schon b.jar.\nErsetzen?");
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), p.main_window());
    EXPECT_TRUE(e2e::wait_for([&] { return GetForegroundWindow() == box.window; }, 3000));
    ASSERT_TRUE(p.answer_with(box, IDYES));
  }
  expect_box(p, "Fehler!",
             "Diese Dateien wurden nicht in den Jar-Ordner kopiert:\n"
             "notes.txt: Der Name endet nicht auf \".jar\".\n"
             "bad.jar: Die Datei ist kein Zip-Archiv.\n"
             "folder.jar: Das ist ein Ordner.\n"
             "zz.jar: Im Jar-Ordner liegt ein Ordner dieses Namens.");
  expect_box(p, "Info",
             "2 Jars wurden in den Jar-Ordner kopiert.\n\n"
             "Diese Jars liegen schon im Jar-Ordner und wurden nicht kopiert:\na.jar");
  EXPECT_EQ(read_file(root_ + "jar\\new.jar"), fresh);
  EXPECT_EQ(read_file(root_ + "jar\\b.jar"), newer_b);
  EXPECT_EQ(read_file(root_ + "jar\\a.jar"), kJarA);
  EXPECT_EQ(e2e::list_folder(root_ + "jar\\", "*"),
            (std::vector<std::string>{"a.jar", "b.jar", "c.jar", "new.jar", "zz.jar"}))
      << "no copy is left beside the jars";
  ASSERT_TRUE(p.wait_list_filled(4));
  EXPECT_EQ(p.list_item(3), "new.jar");
  // The same name again, answered with Nein: nothing is copied and nothing more is said.
  ASSERT_TRUE(write_file(incoming + "b.jar", jar("yet another b")));
  ASSERT_TRUE(p.drop_files({incoming + "b.jar"}));
  ASSERT_TRUE(p.wait_box(&box));
  EXPECT_EQ(box.title, "Frage");
  ASSERT_TRUE(p.answer_with(box, IDNO));
  EXPECT_TRUE(p.no_box_for(500));
  EXPECT_EQ(read_file(root_ + "jar\\b.jar"), newer_b);
  // After a jar is confirmed a drop still copies, but the list stays as it is.
  choose_and_confirm(p, 0);
  ASSERT_TRUE(write_file(incoming + "late.jar", jar("late")));
  ASSERT_TRUE(p.drop_files({incoming + "late.jar"}));
  expect_box(p, "Info", "1 Jar wurde in den Jar-Ordner kopiert.");
  EXPECT_EQ(p.list_count(), 5);
  EXPECT_FALSE(p.enabled(kList));
  EXPECT_TRUE(exists(root_ + "jar\\late.jar"));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, DropOnAnEmptyJarListFillsItAndDropsWaitForOpenWindows) {
  make_standard_layout();
  for (const char* name : {"a.jar", "b.jar", "c.jar"})
    ASSERT_TRUE(DeleteFileA((root_ + "jar\\" + name).c_str()));
  ASSERT_TRUE(write_file(root_ + "mod.jar", kJarB));
  Pelmora p(root_);
  start(p, 1);
  ASSERT_EQ(p.list_item(0), "Keine JAR gefunden!");
  ASSERT_FALSE(p.enabled(kConfirm));
  // While a message box is open a drop does nothing.
  ASSERT_TRUE(p.click_gadget(kAbout));
  Box about;
  ASSERT_TRUE(p.wait_box(&about));
  ASSERT_TRUE(p.drop_files({root_ + "mod.jar"}));
  EXPECT_TRUE(p.answer(about));
  EXPECT_TRUE(p.no_box_for(500));
  EXPECT_FALSE(exists(root_ + "jar\\mod.jar"));
  ASSERT_TRUE(p.drop_files({root_ + "mod.jar"}));
  expect_box(p, "Info", "1 Jar wurde in den Jar-Ordner kopiert.");
  ASSERT_TRUE(e2e::wait_for([&] { return p.list_item(0) == "mod.jar"; }, 3000));
  EXPECT_EQ(p.list_count(), 1);
  EXPECT_TRUE(p.enabled(kConfirm));
  EXPECT_EQ(read_file(root_ + "jar\\mod.jar"), kJarB);
  close_and_expect_exit(p);
}
