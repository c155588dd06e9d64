// Holds a file open, as a running game holds its client jar:
//   file_holder <path> <ready event> <release event> [shared]
// Without sharing by default; with "shared" as the game's runtime does: reading and writing
// shared, deleting (and so replacing) not.
// Signals the ready event once the file is open and keeps it until the release event is set
// (at most two minutes). Exit code 0, or 2 when the file could not be opened.
#include <windows.h>

#include "runtime/handles_win.h"

int main(int argc, char** argv) {
  if (argc < 4) return 1;
  const DWORD share = argc > 4 ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
  const win::Handle file(CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, share, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 2;
  const win::Handle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
  const win::Handle release(OpenEventA(SYNCHRONIZE, FALSE, argv[3]));
  if (ready) SetEvent(ready.get());
  if (release) WaitForSingleObject(release.get(), 120000);
  return 0;
}
