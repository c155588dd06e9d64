// The preference files on disk under Wine: opening with its sharing attempts, writing back at
// close, read-only files, files held by another process, missing folders, threads and large
// files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "prefs/prefs.h"
#include "runtime/handles_win.h"
#include "support/program_win.h"
#include "support/scratch_folder_win.h"

namespace {

using test_support::ScratchFolder;

std::string read_file(const std::string& path) { return ScratchFolder::read_file(path); }

class PrefsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    prefs_init();  // registers once per process
    ASSERT_TRUE(dir_.ok());
  }
  void TearDown() override { prefs_close(); }

  std::string path(const char* name = "pref.ini") const { return dir_ / name; }

  ScratchFolder dir_;
};

// Another Wine process holding a file open with the given access and sharing.
class Holder {
 public:
  Holder(const std::string& file, const char* access, const char* share) {
    static int counter = 0;
    std::string prefix =
        "pelmora_prefs_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    ready_.reset(CreateEventA(nullptr, TRUE, FALSE, (prefix + "_ready").c_str()));
    quit_.reset(CreateEventA(nullptr, TRUE, FALSE, (prefix + "_quit").c_str()));
    const std::string program = test_support::beside_this_program("prefs_lock_holder.exe");
    std::string command =
        "\"" + program + "\" \"" + file + "\" " + access + " " + share + " " + prefix;
    if (holder_.start(program.c_str(), command)) {
      HANDLE waits[2] = {ready_.get(), holder_.process()};
      held_ = WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
    }
  }
  ~Holder() { release(); }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

  bool held() const { return held_; }
  void release() {
    if (holder_.process()) {
      SetEvent(quit_.get());
      WaitForSingleObject(holder_.process(), 20000);
    }
    holder_ = test_support::Program();
    ready_.reset();
    quit_.reset();
  }

 private:
  win::Handle ready_;
  win::Handle quit_;
  test_support::Program holder_;
  bool held_ = false;
};

TEST_F(PrefsFile, FirstRunCreatesTheExactFile) {
  EXPECT_EQ(prefs_open(path().c_str()), 0u);
  EXPECT_NE(prefs_create(path().c_str()), 0u);
  prefs_write_string("Version", "1.1");
  prefs_group("Minecraft");
  prefs_write_string(".minecraft", "C:\\Spiel\\.minecraft\\");
  prefs_close();
  EXPECT_EQ(read_file(path()),
            "Version = 1.1\r\n[Minecraft]\r\n.minecraft = C:\\Spiel\\.minecraft\\\r\n");
  ASSERT_NE(prefs_open(path().c_str()), 0u);
  EXPECT_EQ(prefs_group("minecraft"), 1);
  EXPECT_EQ(prefs_read_string(".minecraft", ""), "C:\\Spiel\\.minecraft\\");
  // A default that is itself the result of another read.
  EXPECT_EQ(prefs_read_string("missing", prefs_read_string(".MINECRAFT", "").c_str()),
            "C:\\Spiel\\.minecraft\\");
}

TEST_F(PrefsFile, MissingFileIsCreatedOnlyWhenWritten) {
  EXPECT_EQ(prefs_open(path().c_str()), 0u);
  EXPECT_EQ(prefs_read_string("k", "default"), "default");
  EXPECT_EQ(prefs_group(""), 1);  // a name-only record counts as open
  prefs_close();
  EXPECT_FALSE(ScratchFolder::exists(path()));

  EXPECT_EQ(prefs_open(path().c_str()), 0u);
  prefs_write_string("k", "\xE4");
  prefs_group("g");
  prefs_write_string("x", "y");
  EXPECT_EQ(prefs_read_string("x", ""), "y");
  prefs_close();
  EXPECT_EQ(read_file(path()), "k = \xE4\r\n[g]\r\nx = y\r\n");  // 8-bit, no byte-order mark
}

TEST_F(PrefsFile, CreateEmptiesAtOnce) {
  ASSERT_TRUE(dir_.write("pref.ini", "old=1\r\n"));
  EXPECT_NE(prefs_create(path().c_str()), 0u);
  EXPECT_EQ(read_file(path()), "");
  EXPECT_EQ(prefs_read_string("old", "gone"), "gone");
  prefs_close();
  EXPECT_EQ(read_file(path()), "");
}

TEST_F(PrefsFile, ChangesReachTheDiskAtCloseOnly) {
  ASSERT_TRUE(dir_.write("pref.ini", "; settings\r\n[g]\r\nk=1\r\n"));
  ASSERT_NE(prefs_open(path().c_str()), 0u);
  prefs_group("g");
  prefs_write_string("k", "2");
  EXPECT_EQ(read_file(path()), "; settings\r\n[g]\r\nk=1\r\n");
  // A second name of the old file shows what a reader of it sees: the old text whole, because
  // the new text replaces the file in one step instead of being written into it.
  ASSERT_TRUE(CreateHardLinkA(path("old.ini").c_str(), path().c_str(), nullptr));
  EXPECT_EQ(prefs_close(), 0u);
  EXPECT_EQ(read_file(path()), "; settings\r\n[g]\r\nk = 2\r\n");
  EXPECT_EQ(read_file(path("old.ini")), "; settings\r\n[g]\r\nk=1\r\n");
}

TEST_F(PrefsFile, UnchangedFileIsNotRewritten) {
  const std::string text = "  k=1\n\n[g]tail\n";
  ASSERT_TRUE(dir_.write("pref.ini", text));
  ASSERT_NE(prefs_open(path().c_str()), 0u);
  EXPECT_EQ(prefs_read_string("k", ""), "1");
  prefs_group("missing");
  prefs_close();
  EXPECT_EQ(read_file(path()), text);
}

TEST_F(PrefsFile, ShorterTextCutsTheFile) {
  ASSERT_TRUE(dir_.write("pref.ini", "k=a long value that will shrink\r\n"));
  ASSERT_NE(prefs_open(path().c_str()), 0u);
  prefs_write_string("k", "s");
  prefs_close();
  EXPECT_EQ(read_file(path()), "k = s\r\n");
}

TEST_F(PrefsFile, Utf8FileKeepsItsMark) {
  ASSERT_TRUE(dir_.write("pref.ini", "\xEF\xBB\xBFk=\xC3\xA4\n"));
  ASSERT_NE(prefs_open(path().c_str()), 0u);
  EXPECT_EQ(prefs_read_string("k", ""), "\xE4");
  prefs_write_string("n", "\xE4");
  prefs_close();
  EXPECT_EQ(read_file(path()), "\xEF\xBB\xBF\r\nk = \xC3\xA4\r\nn = \xC3\xA4\r\n");
}

TEST_F(PrefsFile, TinyFiles) {
  const char* contents[] = {"\xEF\xBB\xBF", "k", "k=", ""};
  const char* expected[] = {"d", "", "", "d"};
  for (int i = 0; i < 4; ++i) {
    prefs_close();
    ASSERT_TRUE(dir_.write("pref.ini", contents[i]));
    ASSERT_NE(prefs_open(path().c_str()), 0u) << i;
    EXPECT_EQ(prefs_read_string("k", "d"), expected[i]) << i;
  }
  prefs_close();
}

TEST_F(PrefsFile, OpenFileIsSharedForReadingOnly) {
  ASSERT_TRUE(dir_.write("pref.ini", "k=1\r\n"));
  ASSERT_NE(prefs_open(path().c_str()), 0u);
  EXPECT_TRUE(
      win::Handle(CreateFileA(path().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  const win::Handle writer(CreateFileA(path().c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_FALSE(writer);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

// A folder set up by the test's ctest fixture, or "" when run on its own.
std::string fixture_folder(const char* variable) {
  char folder[MAX_PATH];
  DWORD n = GetEnvironmentVariableA(variable, folder, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(folder, n) + "\\" : std::string();
}

// A read-only mount holding pref.ini with "k=1".
TEST_F(PrefsFile, ReadOnlyFileIsReadAndChangesAreDropped) {
  std::string folder = fixture_folder("PELMORA_READONLY_DIR");
  if (folder.empty()) GTEST_SKIP() << "run through ctest for the read-only folder";
  std::string file = folder + "pref.ini";
  if (win::Handle(CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr))) {
    GTEST_SKIP() << "the folder could not be mounted read-only";
  }
  ASSERT_NE(prefs_open(file.c_str()), 0u);
  EXPECT_EQ(prefs_read_string("k", ""), "1");
  prefs_write_string("k", "2");
  EXPECT_EQ(prefs_read_string("k", ""), "2");  // in memory only
  prefs_close();
  EXPECT_EQ(read_file(file), "k=1\r\n");
  EXPECT_EQ(prefs_create((folder + "new.ini").c_str()), 0u);
}

// A 64 KiB file system: a longer text that does not fit leaves the old file whole.
TEST_F(PrefsFile, FullDiskLeavesTheFileAsItWas) {
  std::string folder = fixture_folder("PELMORA_SMALL_DIR");
  if (folder.empty() || ScratchFolder::exists(folder + "not-mounted"))
    GTEST_SKIP() << "no small file system";
  std::string file = folder + "pref.ini";
  const std::string text = "[g]\r\nk = " + std::string(20000, 'a') + "\r\n";
  ASSERT_TRUE(ScratchFolder::write_file(file, text));
  ASSERT_NE(prefs_open(file.c_str()), 0u);
  prefs_group("g");
  prefs_write_string("k", std::string(100000, 'b').c_str());
  const uint32_t error = prefs_close();
  EXPECT_TRUE(error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) << error;
  EXPECT_TRUE(read_file(file) == text) << "file changed to " << read_file(file).size() << " bytes";
  EXPECT_FALSE(ScratchFolder::exists(file + ".pelmora-neu")) << "the new text is not left behind";
  DeleteFileA(file.c_str());
}

// Another process holding the file with write access: read through the third attempt (read
// and write sharing); changes are dropped.
TEST_F(PrefsFile, FileHeldForWritingIsReadAndLeftAlone) {
  const std::string text = "k=1\r\n";
  ASSERT_TRUE(dir_.write("pref.ini", text));
  for (const char* share : {"r", "rw"}) {
    Holder holder(path(), "w", share);
    ASSERT_TRUE(holder.held()) << share;
    ASSERT_NE(prefs_open(path().c_str()), 0u) << share;
    EXPECT_EQ(prefs_read_string("k", ""), "1");
    prefs_write_string("k", "2");
    prefs_close();
    holder.release();
    EXPECT_EQ(read_file(path()), text) << share;
  }
}

// Held for reading only: the read-only second attempt succeeds.
TEST_F(PrefsFile, FileHeldForReadingOpensReadOnly) {
  const std::string text = "k=1\r\n";
  ASSERT_TRUE(dir_.write("pref.ini", text));
  Holder holder(path(), "r", "r");
  ASSERT_TRUE(holder.held());
  ASSERT_NE(prefs_open(path().c_str()), 0u);
  EXPECT_EQ(prefs_read_string("k", ""), "1");
  prefs_write_string("k", "2");
  prefs_close();
  EXPECT_EQ(read_file(path()), text);
}

// A file that exists but cannot be opened at all must never be replaced by a close, even when
// the other process has let go of it in the meantime.
TEST_F(PrefsFile, FileHeldExclusivelyIsNeverReplaced) {
  const std::string text = "keep=me\r\n";
  ASSERT_TRUE(dir_.write("pref.ini", text));
  Holder holder(path(), "rw", "none");
  ASSERT_TRUE(holder.held());
  EXPECT_EQ(prefs_open(path().c_str()), 0u);
  EXPECT_EQ(prefs_read_string("keep", "d"), "d");
  EXPECT_EQ(prefs_group(""), 0);  // no file
  prefs_write_string("k", "v");
  holder.release();
  prefs_close();
  EXPECT_EQ(read_file(path()), text);
}

// A file too large for memory (3 GiB, sparse: the heap refuses the block on every build) is
// opened without its contents and never written back.
TEST_F(PrefsFile, ContentsTooLargeForMemoryLeaveTheFileAsItWas) {
  const std::string big = path("big.ini");
  {
    const win::Handle h(CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(h);
    DWORD written = 0;
    WriteFile(h.get(), "k=1\r\n", 5, &written, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 3LL << 30;
    const bool sized =
        SetFilePointerEx(h.get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(h.get());
    if (!sized) GTEST_SKIP() << "no room for a sparse 3 GiB file";
  }
  ASSERT_NE(prefs_open(big.c_str()), 0u);
  EXPECT_EQ(prefs_read_string("k", "none"), "none");
  prefs_write_string("k", "2");
  prefs_close();
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA(big.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(data.nFileSizeLow, 3u << 30);
  win::Handle h(
      CreateFileA(big.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(h);
  char head[5] = {};
  DWORD got = 0;
  ReadFile(h.get(), head, 5, &got, nullptr);
  h.reset();
  EXPECT_EQ(std::string(head, got), "k=1\r\n");
  DeleteFileA(big.c_str());
}

TEST_F(PrefsFile, MissingFolder) {
  std::string missing = dir_ / "no such folder\\pref.ini";
  EXPECT_EQ(prefs_open(missing.c_str()), 0u);
  prefs_write_string("k", "v");
  prefs_close();
  EXPECT_EQ(prefs_create(missing.c_str()), 0u);
  prefs_write_string("k", "v");
  EXPECT_EQ(prefs_read_string("k", "d"), "d");
  prefs_close();
  EXPECT_FALSE(ScratchFolder::exists(dir_ / "no such folder"));
}

TEST_F(PrefsFile, AbsentNames) {
  EXPECT_EQ(prefs_open(nullptr), 0u);
  prefs_write_string("k", "v");
  prefs_close();
  EXPECT_EQ(prefs_create(nullptr), 0u);
}

TEST_F(PrefsFile, OpeningAnotherFileWritesTheFirst) {
  ASSERT_TRUE(dir_.write("a.ini", "k=1\r\n"));
  ASSERT_TRUE(dir_.write("b.ini", "k=b\r\n"));
  ASSERT_NE(prefs_open(path("a.ini").c_str()), 0u);
  prefs_write_string("k", "2");
  ASSERT_NE(prefs_open(path("b.ini").c_str()), 0u);
  EXPECT_EQ(read_file(path("a.ini")), "k = 2\r\n");
  EXPECT_EQ(prefs_read_string("k", ""), "b");
  EXPECT_NE(prefs_create(path("c.ini").c_str()), 0u);
  EXPECT_EQ(read_file(path("b.ini")), "k=b\r\n");  // unchanged: not rewritten
}

TEST_F(PrefsFile, ShutdownWritesTheOpenFile) {
  ASSERT_TRUE(dir_.write("pref.ini", "k=1\r\n"));
  ASSERT_NE(prefs_open(path().c_str()), 0u);
  prefs_write_string("k", "2");
  prefs_shutdown();
  EXPECT_EQ(read_file(path()), "k = 2\r\n");
  EXPECT_EQ(prefs_read_string("k", "closed"), "closed");
}

TEST_F(PrefsFile, EachThreadHasItsOwnFile) {
  ASSERT_TRUE(dir_.write("pref.ini", "k=main\r\n"));
  ASSERT_NE(prefs_open(path().c_str()), 0u);
  std::string seen;
  uintptr_t opened = 0;
  std::thread other([&] {
    EXPECT_EQ(prefs_read_string("k", "none"), "none");  // a fresh thread has no file
    opened = prefs_open(path().c_str());                // read-write open fails on the sharing rule
    seen = prefs_read_string("k", "");
    prefs_write_string("k", "other");
    prefs_close();  // read-only: dropped
  });
  other.join();
  EXPECT_NE(opened, 0u);
  EXPECT_EQ(seen, "main");
  prefs_write_string("k", "mine");
  prefs_close();
  EXPECT_EQ(read_file(path()), "k = mine\r\n");
}

TEST_F(PrefsFile, EndingThreadClosesItsFile) {
  ASSERT_TRUE(dir_.write("pref.ini", "k=1\r\n"));
  std::thread other([&] {
    prefs_open(path().c_str());
    prefs_write_string("k", "from thread");
  });
  other.join();
  // The clean-up runs on a watcher thread once the thread has ended.
  std::string text;
  for (int i = 0; i < 200 && (text = read_file(path())) != "k = from thread\r\n"; ++i) Sleep(25);
  EXPECT_EQ(text, "k = from thread\r\n");
}

// 100 MiB of key lines: read whole, a key near the end found, written back with one more line.
TEST_F(PrefsFile, HundredMebibyteFile) {
  const std::string value(1000, 'v');
  std::string text;
  text.reserve(100u << 20);
  int keys = 0;
  while (text.size() < (100u << 20))
    text += "key" + std::to_string(keys++) + " = " + value + "\r\n";
  ASSERT_TRUE(dir_.write("big.ini", text));
  ASSERT_NE(prefs_open(path("big.ini").c_str()), 0u);
  EXPECT_EQ(prefs_read_string(("KEY" + std::to_string(keys - 1)).c_str(), ""), value);
  prefs_write_string("added", "1");
  prefs_close();
  std::string back = read_file(path("big.ini"));
  EXPECT_EQ(back.size(), text.size() + 11);
  EXPECT_TRUE(back.compare(0, text.size(), text) == 0);
  EXPECT_EQ(back.substr(text.size()), "added = 1\r\n");
  DeleteFileA(path("big.ini").c_str());
}

}  // namespace
