// A program started by a test: its process and thread handles, closed when it goes, and ids.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/handles_win.h"

namespace test_support {

// The path of a file beside the running test program ("" gives its folder, ending in "\").
inline std::string beside_this_program(const std::string& name) {
  char path[MAX_PATH] = {};
  const std::string self(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return self.substr(0, self.find_last_of('\\') + 1) + name;
}

class Program {
 public:
  // Starts the command line (`exe` may be null: taken from the line); false on failure, with the
  // system's error in GetLastError.
  bool start(const char* exe, std::string line, DWORD flags = 0, const char* folder = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exe, &line[0], nullptr, nullptr, FALSE, flags, nullptr, folder, &startup,
                        &info)) {
      return false;
    }
    process_.reset(info.hProcess);
    thread_.reset(info.hThread);
    process_id_ = info.dwProcessId;
    thread_id_ = info.dwThreadId;
    return true;
  }
  HANDLE process() const { return process_.get(); }
  DWORD process_id() const { return process_id_; }
  DWORD thread_id() const { return thread_id_; }

 private:
  win::Handle process_;
  win::Handle thread_;
  DWORD process_id_ = 0;
  DWORD thread_id_ = 0;
};

}  // namespace test_support
