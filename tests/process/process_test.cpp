#include "process/process.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>

#include "runtime/handles_win.h"
#include "support/program_win.h"
#include "support/scratch_folder_win.h"

namespace {

using test_support::ScratchFolder;

// Everything readable from a pipe until its writers are gone.
std::string read_to_end(void* pipe) {
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  return text;
}

void write_and_close(void*& pipe, const std::string& text) {
  const win::Handle owned(std::exchange(pipe, nullptr));
  DWORD written = 0;
  WriteFile(owned.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool inheritable(void* handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) && (flags & HANDLE_FLAG_INHERIT);
}

// One "key=value" line of a report written by the helper.
std::string field(const std::string& report, const std::string& key) {
  const size_t at = report.find(key + "=");
  if (at == std::string::npos) return "<none>";
  const size_t start = at + key.size() + 1;
  return report.substr(start, report.find('\n', start) - start);
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

class ProgramRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { program_init(); }
  void SetUp() override {
    ASSERT_TRUE(scratch_.ok());
    ASSERT_TRUE(ScratchFolder::exists(helper_)) << helper_;
  }
  // Runs the helper's report mode, waiting for it, and returns the report.
  std::string report(int32_t flags, const std::string& program, const std::string& extra = "",
                     const char* directory = nullptr, intptr_t* result = nullptr) {
    const std::string file = scratch_ / "report.txt";
    DeleteFileA(file.c_str());
    const intptr_t r = program_run(program.c_str(), ("report " + quoted(file) + extra).c_str(),
                                   directory, flags | run_wait);
    if (result != nullptr) *result = r;
    if (RunningProgram* p = running_program(r)) program_release(p);
    return ScratchFolder::read_file(file);
  }

  ScratchFolder scratch_;
  const std::string helper_ = test_support::beside_this_program("process_helper.exe");
};

TEST_F(ProgramRun, ReadsTheOutputOfAProgram) {
  const intptr_t r = program_run(helper_.c_str(), "write hello", nullptr, run_open | run_read);
  RunningProgram* p = running_program(r);
  ASSERT_NE(p, nullptr);
  EXPECT_NE(p->process, nullptr);
  EXPECT_GT(p->process_id, 0);
  EXPECT_EQ(p->input_write, nullptr);
  EXPECT_EQ(p->error_read, nullptr);
  ASSERT_NE(p->output_read, nullptr);
  EXPECT_FALSE(inheritable(p->output_read));
  EXPECT_EQ(read_to_end(p->output_read), "hello");
  EXPECT_EQ(WaitForSingleObject(p->process, 10000), WAIT_OBJECT_0);
  program_release(p);
}

TEST_F(ProgramRun, FeedsTheInputOfAProgram) {
  RunningProgram* p = running_program(
      program_run(helper_.c_str(), "echo", nullptr, run_open | run_write | run_read));
  ASSERT_NE(p, nullptr);
  ASSERT_NE(p->input_write, nullptr);
  EXPECT_FALSE(inheritable(p->input_write));
  std::string big;
  for (int i = 0; i < 2000; ++i) big += "line " + std::to_string(i) + "\n";
  // More than a pipe buffer: written from a thread while the output is read here.
  void* input = p->input_write;
  p->input_write = nullptr;
  std::thread writer([&input, &big] { write_and_close(input, big); });
  EXPECT_EQ(read_to_end(p->output_read), big);
  writer.join();
  program_release(p);
}

TEST_F(ProgramRun, ReadsStandardError) {
  RunningProgram* p =
      running_program(program_run(helper_.c_str(), "error oops", nullptr, run_open | run_error));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->output_read, nullptr);
  ASSERT_NE(p->error_read, nullptr);
  EXPECT_EQ(read_to_end(p->error_read), "oops");
  program_release(p);
}

TEST_F(ProgramRun, ConnectFeedsOneProgramFromAnother) {
  RunningProgram* sender = running_program(program_run(
      helper_.c_str(), "write \"from the first program\"", nullptr, run_open | run_read));
  ASSERT_NE(sender, nullptr);
  RunningProgram* receiver = running_program(
      program_run(helper_.c_str(), "echo", nullptr, run_open | run_read | run_connect, sender));
  ASSERT_NE(receiver, nullptr);
  EXPECT_EQ(receiver->input_write, nullptr);
  EXPECT_EQ(read_to_end(receiver->output_read), "from the first program");
  // The sender's end stays the caller's, and private.
  EXPECT_FALSE(inheritable(sender->output_read));
  program_release(receiver);
  program_release(sender);
}

TEST_F(ProgramRun, ConnectTakesPrecedenceOverWrite) {
  RunningProgram* sender =
      running_program(program_run(helper_.c_str(), "write abc", nullptr, run_open | run_read));
  ASSERT_NE(sender, nullptr);
  RunningProgram* receiver = running_program(program_run(
      helper_.c_str(), "echo", nullptr, run_open | run_read | run_write | run_connect, sender));
  ASSERT_NE(receiver, nullptr);
  EXPECT_EQ(receiver->input_write, nullptr);
  EXPECT_EQ(read_to_end(receiver->output_read), "abc");
  program_release(receiver);
  program_release(sender);
}

TEST_F(ProgramRun, WaitsForTheProgram) {
  const std::string marker = scratch_ / "waited.txt";
  EXPECT_EQ(program_run(helper_.c_str(), ("wait 300 " + quoted(marker)).c_str(), nullptr, run_wait),
            1);
  EXPECT_EQ(ScratchFolder::read_file(marker), "done");
}

TEST_F(ProgramRun, ShowStateAndHiding) {
  const std::string shown = report(0, helper_);
  EXPECT_EQ(field(shown, "show"), std::to_string(SW_SHOWNORMAL));
  EXPECT_EQ(std::stoul(field(shown, "flags")) & STARTF_USESHOWWINDOW, STARTF_USESHOWWINDOW);
  const std::string hidden = report(run_hide, helper_);
  EXPECT_EQ(field(hidden, "show"), std::to_string(SW_HIDE));
  EXPECT_EQ(std::stoul(field(hidden, "flags")) & STARTF_USESHOWWINDOW, STARTF_USESHOWWINDOW);
  EXPECT_EQ(field(hidden, "console"), "0") << "a hidden program runs without a console";
}

TEST_F(ProgramRun, CommandLineQuoting) {
  // A program in a folder with a space, named without and with its own quotes.
  ASSERT_TRUE(CreateDirectoryA((scratch_ / "with space").c_str(), nullptr));
  const std::string copy = scratch_ / "with space\\helper copy.exe";
  ASSERT_TRUE(CopyFileA(helper_.c_str(), copy.c_str(), FALSE));
  const std::string file = scratch_ / "report.txt";
  EXPECT_EQ(field(report(0, copy), "cmd"), quoted(copy) + " report " + quoted(file));
  EXPECT_EQ(field(report(0, quoted(copy)), "cmd"), quoted(copy) + " report " + quoted(file));
}

TEST_F(ProgramRun, WorkingDirectory) {
  std::string folder = scratch_.path();
  folder.pop_back();
  EXPECT_EQ(field(report(0, helper_, "", scratch_.path().c_str()), "cwd"), folder);
  char own[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, own);
  EXPECT_EQ(field(report(0, helper_, "", ""), "cwd"), own);
}

// Without run_open no pipe is made, and so no handle is inherited; with it, handles are.
TEST_F(ProgramRun, ReadWithoutOpenMakesNoPipe) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  const win::Handle probe_event(CreateEventA(&inherit, TRUE, FALSE, nullptr));
  ASSERT_TRUE(probe_event);
  const HANDLE probe = probe_event.get();
  char value[32];
  wsprintfA(value, " %lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(probe)));

  intptr_t result = 0;
  const std::string without = report(run_read, helper_, value, nullptr, &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(field(without, "handle"), "0");
  EXPECT_EQ(std::stoul(field(without, "flags")) & STARTF_USESTDHANDLES, 0u);

  const std::string with = report(run_open | run_read, helper_, value, nullptr, &result);
  EXPECT_NE(running_program(result), nullptr);
  EXPECT_EQ(field(with, "handle"), "1");
  EXPECT_EQ(std::stoul(field(with, "flags")) & STARTF_USESTDHANDLES,
            static_cast<DWORD>(STARTF_USESTDHANDLES));
}

TEST_F(ProgramRun, MissingProgramFails) {
  const std::string missing = scratch_ / "missing.exe";
  EXPECT_EQ(program_run(missing.c_str()), 0);
  EXPECT_EQ(program_run(missing.c_str(), "x", nullptr, run_open | run_read), 0);
  EXPECT_EQ(program_run(nullptr), 0);
  EXPECT_EQ(program_run("", nullptr, scratch_.path().c_str(), run_open), 0);
}

// A document type of the test's own, opened by the helper. Registered in the user's classes;
// Wine's shell reads only the merged root view's machine part, so it goes there too.
class DocumentType {
 public:
  explicit DocumentType(const std::string& command) {
    for (const Root& root : kRoots) {
      const bool made = set(root, kExtension, kType) && set(root, kCommandKey, command);
      ok_ = ok_ || made;
    }
  }
  ~DocumentType() {
    for (const Root& root : kRoots) {
      RegDeleteTreeA(root.key, (std::string(root.prefix) + kType).c_str());
      RegDeleteTreeA(root.key, (std::string(root.prefix) + kExtension).c_str());
    }
  }
  bool ok() const { return ok_; }

 private:
  struct Root {
    HKEY key;
    const char* prefix;
  };
  static constexpr const char* kExtension = ".pelmoratestdoc";
  static constexpr const char* kType = "Pelmora.TestDocument";
  static constexpr const char* kCommandKey = "Pelmora.TestDocument\\shell\\open\\command";
  static const Root kRoots[2];

  static bool set(const Root& root, const std::string& key, const std::string& value) {
    HKEY h = nullptr;
    if (RegCreateKeyExA(root.key, (root.prefix + key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &h, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const LONG r =
        RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
  }
  bool ok_ = false;
};
const DocumentType::Root DocumentType::kRoots[2] = {{HKEY_CURRENT_USER, "Software\\Classes\\"},
                                                    {HKEY_CLASSES_ROOT, ""}};

TEST_F(ProgramRun, ShellOpensADocumentInItsFolder) {
  const std::string marker = scratch_ / "opened.txt";
  DocumentType type(quoted(helper_) + " open " + quoted(marker) + " \"%1\"");
  ASSERT_TRUE(type.ok());
  ASSERT_TRUE(CreateDirectoryA((scratch_ / "Docs").c_str(), nullptr));
  const std::string document = scratch_ / "Docs\\readme.pelmoratestdoc";
  ASSERT_TRUE(scratch_.write("Docs\\readme.pelmoratestdoc", "text, not a program"));

  EXPECT_EQ(program_run(document.c_str(), nullptr, nullptr, run_wait), 1);
  const std::string opened = ScratchFolder::read_file(marker);
  EXPECT_EQ(field(opened, "doc"), document);
  EXPECT_EQ(field(opened, "cwd") + "\\", scratch_ / "Docs\\");

  // With run_open the record has no process number and no pipes.
  DeleteFileA(marker.c_str());
  RunningProgram* p =
      running_program(program_run(document.c_str(), nullptr, nullptr, run_open | run_wait));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->process_id, -1);
  EXPECT_EQ(p->output_read, nullptr);
  EXPECT_EQ(ScratchFolder::read_file(marker).empty(), false);
  program_release(p);

  // Any pipe flag rules the shell out.
  DeleteFileA(marker.c_str());
  for (int32_t flags : {run_read, run_write, run_error, run_connect, run_open | run_read}) {
    EXPECT_EQ(program_run(document.c_str(), nullptr, nullptr, flags | run_wait), 0) << flags;
  }
  Sleep(200);
  EXPECT_FALSE(ScratchFolder::exists(marker));
}

TEST_F(ProgramRun, DocumentWithoutHandlerFailsQuietly) {
  ASSERT_TRUE(scratch_.write("unknown.pelmoranohandler", "x"));
  EXPECT_EQ(program_run((scratch_ / "unknown.pelmoranohandler").c_str()), 0);
}

TEST(PipeEnd, MakePrivate) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  win::Handle read_end;
  HANDLE write_end = nullptr;
  ASSERT_TRUE(CreatePipe(read_end.out(), &write_end, &inherit, 0));
  ASSERT_TRUE(inheritable(write_end));
  void* handle = write_end;
  ASSERT_NE(pipe_end_make_private(&handle), 0);
  EXPECT_FALSE(inheritable(handle));
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(write_end, &flags)) << "the original is closed";
  void* writer = handle;
  write_and_close(writer, "still works");
  EXPECT_EQ(read_to_end(read_end.get()), "still works");

  void* bad = reinterpret_cast<void*>(static_cast<uintptr_t>(0x7ff0));
  EXPECT_EQ(pipe_end_make_private(&bad), 0);
  EXPECT_EQ(bad, reinterpret_cast<void*>(static_cast<uintptr_t>(0x7ff0)));
  EXPECT_EQ(pipe_end_make_private(nullptr), 0);
}

// Milliseconds that `work` took, or -1 when it had not returned within `limit_ms` (the thread
// running it is then left behind; the process ends it).
DWORD WINAPI run_work(void* work) {
  reinterpret_cast<void (*)()>(work)();
  return 0;
}

double timed_ms(void (*work)(), DWORD limit_ms) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const win::Handle thread(
      CreateThread(nullptr, 0, run_work, reinterpret_cast<void*>(work), 0, nullptr));
  if (!thread) return -2;
  const bool returned = WaitForSingleObject(thread.get(), limit_ms) == WAIT_OBJECT_0;
  QueryPerformanceCounter(&end);
  if (!returned) return -1;
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

TEST(Delay, SleepsAtLeastTheTimeAskedAndNeverForEver) {
  EXPECT_GE(timed_ms([] { delay_ms(100); }, 10000), 95.0);
  EXPECT_GE(timed_ms([] { delay_ms(1); }, 10000), 0.9);
  // No time or a negative time returns at once instead of sleeping for ever.
  const double zero = timed_ms([] { delay_ms(0); }, 3000);
  EXPECT_GE(zero, 0.0);
  EXPECT_LT(zero, 1000.0);
  const double negative = timed_ms([] { delay_ms(-5); }, 3000);
  EXPECT_GE(negative, 0.0);
  EXPECT_LT(negative, 1000.0);
}

}  // namespace
