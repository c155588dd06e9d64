// Holds a file open from a second process, for the sharing tests of the preference files.
// Usage: prefs_lock_holder <path> <r|w|rw> <none|r|rw> <event prefix>
// Opens the file, sets the event "<prefix>_ready" and keeps the file open until the event
// "<prefix>_quit" is set (at most 60 s). Exit code 0, or 1 when the file could not be opened.
#include <windows.h>

#include <cstring>
#include <string>

#include "runtime/handles_win.h"

namespace {

DWORD access_of(const char* a) {
  if (std::strcmp(a, "r") == 0) return GENERIC_READ;
  if (std::strcmp(a, "w") == 0) return GENERIC_WRITE;
  return GENERIC_READ | GENERIC_WRITE;
}

DWORD share_of(const char* s) {
  if (std::strcmp(s, "none") == 0) return 0;
  if (std::strcmp(s, "r") == 0) return FILE_SHARE_READ;
  return FILE_SHARE_READ | FILE_SHARE_WRITE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  std::string prefix = argv[4];
  const win::Handle ready(CreateEventA(nullptr, TRUE, FALSE, (prefix + "_ready").c_str()));
  const win::Handle quit(CreateEventA(nullptr, TRUE, FALSE, (prefix + "_quit").c_str()));
  const win::Handle file(CreateFileA(argv[1], access_of(argv[2]), share_of(argv[3]), nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 1;
  SetEvent(ready.get());
  WaitForSingleObject(quit.get(), 60000);
  return 0;
}
