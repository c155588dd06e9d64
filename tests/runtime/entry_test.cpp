// The process entry: every start-up and end step in its order, and the exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Outcome {
  std::string output;
  DWORD exit_code = 0xFFFFFFFF;
};

std::string probe_path() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p(path);
  return p.substr(0, p.find_last_of("\\/") + 1) + "runtime_entry_probe.exe";
}

Outcome run_probe(const char* exit_code_env) {
  SetEnvironmentVariableA("PROBE_EXIT_CODE", exit_code_env);
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  Outcome out;
  if (!CreatePipe(&read_end, &write_end, &sa, 0)) return out;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write_end;
  si.hStdError = write_end;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  std::string cmd = "\"" + probe_path() + "\"";
  BOOL ok = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  CloseHandle(write_end);
  SetEnvironmentVariableA("PROBE_EXIT_CODE", nullptr);
  if (!ok) {
    CloseHandle(read_end);
    return out;
  }
  char buffer[512];
  DWORD got = 0;
  while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got) out.output.append(buffer, got);
  CloseHandle(read_end);
  WaitForSingleObject(pi.hProcess, 30000);
  GetExitCodeProcess(pi.hProcess, &out.exit_code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  std::string cleaned;
  for (char c : out.output) {
    if (c != '\r') cleaned += c;
  }
  out.output = cleaned;
  return out;
}

TEST(ProcessEntry, RunsEveryStepInOrderAndExitsWithZero) {
  Outcome o = run_probe(nullptr);
  EXPECT_EQ(o.exit_code, 0u);
  EXPECT_EQ(o.output,
            "globals\ninstance\nmain heap\nstrings_init\narrays_init\nimages_init\nvisual_style_probe\n"
            "events_init\nheap ok=1\nwindows_init\ngadget_toolkit_init\nprefs_init\nprogram_init\nrequester_init\n"
            "application\ninstance ok=1 arrays ok=1\n"
            "prefs_shutdown\nwindows_end\nvisual_style_end\nimages_end\nstrings_end\nmain heap destroy\n");
}

TEST(ProcessEntry, EndSequenceRunsAndTheApplicationsCodeIsTheExitCode) {
  Outcome o = run_probe("3");
  EXPECT_EQ(o.exit_code, 3u);
  EXPECT_NE(o.output.find("strings_end\nmain heap destroy\n"), std::string::npos);
}

}  // namespace
