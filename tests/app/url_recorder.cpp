// Stands in for the web browser in the tests: the system's handler for web addresses is
// pointed at this program, which appends the address it is given to a file and ends.
//   url_recorder <record file> <address>
#include <windows.h>

#include <cstring>

#include "runtime/handles_win.h"

int main(int argc, char** argv) {
  if (argc < 3) return 1;
  const win::Handle file(CreateFileA(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 2;
  DWORD written = 0;
  WriteFile(file.get(), argv[2], static_cast<DWORD>(std::strlen(argv[2])), &written, nullptr);
  WriteFile(file.get(), "\n", 1, &written, nullptr);
  return 0;
}
