// Child program for the launcher tests. Modes:
//   echo                      copies standard input to standard output until end of input
//   write TEXT                writes TEXT to standard output
//   error TEXT                writes TEXT to standard error
//   report FILE [HANDLE]      writes its command line, folder, start-up flags and show state to
//                             FILE, and whether HANDLE (hex) is valid in this process
//   wait MS FILE              sleeps MS milliseconds, then writes "done" to FILE
//   open FILE DOCUMENT        (document handler) writes its folder and DOCUMENT to FILE
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "support/scratch_folder_win.h"

namespace {

using test_support::ScratchFolder;

void write_all(HANDLE h, const std::string& text) {
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string current_folder() {
  char buffer[MAX_PATH * 2] = "";
  GetCurrentDirectoryA(sizeof buffer, buffer);
  return buffer;
}

int echo() {
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    write_all(out, std::string(buffer, got));
  }
  return 0;
}

int report(const char* file, const char* handle_text) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  std::string text = "cmd=" + std::string(GetCommandLineA()) + "\n";
  text += "cwd=" + current_folder() + "\n";
  text += "flags=" + std::to_string(startup.dwFlags) + "\n";
  text += "show=" + std::to_string(startup.wShowWindow) + "\n";
  text += "console=" + std::to_string(GetConsoleCP() != 0 ? 1 : 0) + "\n";
  if (handle_text != nullptr) {
    const HANDLE h =
        reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoul(handle_text, nullptr, 16)));
    DWORD info = 0;
    text += "handle=" + std::to_string(GetHandleInformation(h, &info) ? 1 : 0) + "\n";
  }
  return ScratchFolder::write_file(file, text) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argv[1];
  if (mode == "echo") return echo();
  if (mode == "write" && argc > 2) {
    write_all(GetStdHandle(STD_OUTPUT_HANDLE), argv[2]);
    return 0;
  }
  if (mode == "error" && argc > 2) {
    write_all(GetStdHandle(STD_ERROR_HANDLE), argv[2]);
    return 0;
  }
  if (mode == "report" && argc > 2) return report(argv[2], argc > 3 ? argv[3] : nullptr);
  if (mode == "wait" && argc > 3) {
    Sleep(static_cast<DWORD>(std::atoi(argv[2])));
    return ScratchFolder::write_file(argv[3], "done") ? 0 : 1;
  }
  if (mode == "open" && argc > 3) {
    return ScratchFolder::write_file(argv[2], "cwd=" + current_folder() + "\ndoc=" + argv[3] + "\n")
               ? 0
               : 1;
  }
  return 2;
}
