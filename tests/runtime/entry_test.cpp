// The process entry: every start-up and end step in its order, seen through the libraries'
// effects; the preference file written by the end sequence; and the exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "runtime/handles_win.h"
#include "support/program_win.h"
#include "support/scratch_folder_win.h"

namespace {

using test_support::ScratchFolder;

struct Outcome {
  std::string output;
  DWORD exit_code = 0xFFFFFFFF;
};

Outcome run_probe(const char* exit_code_env, const char* prefs_file) {
  SetEnvironmentVariableA("PROBE_EXIT_CODE", exit_code_env);
  SetEnvironmentVariableA("PROBE_PREFS", prefs_file);
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  win::Handle read_end, write_end;
  Outcome out;
  if (!CreatePipe(read_end.out(), write_end.out(), &sa, 0)) return out;
  SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write_end.get();
  si.hStdError = write_end.get();
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  std::string cmd = "\"" + test_support::beside_this_program("runtime_entry_probe.exe") + "\"";
  BOOL ok = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                           nullptr, &si, &pi);
  write_end.reset();
  SetEnvironmentVariableA("PROBE_EXIT_CODE", nullptr);
  SetEnvironmentVariableA("PROBE_PREFS", nullptr);
  if (!ok) return out;
  const win::Handle process(pi.hProcess), thread(pi.hThread);
  char buffer[512];
  DWORD got = 0;
  while (ReadFile(read_end.get(), buffer, sizeof buffer, &got, nullptr) && got)
    out.output.append(buffer, got);
  WaitForSingleObject(pi.hProcess, 30000);
  GetExitCodeProcess(pi.hProcess, &out.exit_code);
  std::string cleaned;
  for (char c : out.output) {
    if (c != '\r') cleaned += c;
  }
  out.output = cleaned;
  return out;
}

// Each line: the library step about to run, then the letters of the libraries already in
// effect (H heap, A arrays, E events, W windows, P preference files, C COM, F the changed
// preference file on disk, O the application's window open). Start-up never starts COM: only
// the folder browser needs it, and starts it itself.
TEST(ProcessEntry, RunsEveryStepInOrderAndExitsWithZero) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.write("pref.ini", "k=1\r\n"));
  Outcome o = run_probe(nullptr, (dir / "pref.ini").c_str());
  EXPECT_EQ(o.exit_code, 0u);
  EXPECT_EQ(o.output,
            "events_init HA\n"
            "windows_init HAE\n"
            "gadget_toolkit_init HAEW\n"
            "prefs_init HAEW\n"
            "program_init HAEWP\n"
            "requester_init HAEWP\n"
            "application HAEWP\n"
            "prefs_shutdown HAEWO\n"
            "windows_end HAEWFO\n");
  // The end sequence wrote the application's change.
  EXPECT_EQ(ScratchFolder::read_file(dir / "pref.ini"), "k = changed\r\n");
}

TEST(ProcessEntry, EndSequenceRunsAndTheApplicationsCodeIsTheExitCode) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.write("pref.ini", "k=1\r\n"));
  Outcome o = run_probe("3", (dir / "pref.ini").c_str());
  EXPECT_EQ(o.exit_code, 3u);
  EXPECT_NE(o.output.find("windows_end HAEWFO\n"), std::string::npos) << o.output;
  EXPECT_EQ(ScratchFolder::read_file(dir / "pref.ini"), "k = changed\r\n");
}

}  // namespace
