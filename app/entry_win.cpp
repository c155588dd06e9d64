#include <windows.h>

#include <cstdlib>

#include "app/app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { pelmora_main(); }

// The C++ runtime's default handler for an exception that nothing catches. The library's own
// prints the exception's demangled type to stderr, which a window program does not have, and then
// aborts; for that text it links a demangler of 46 KiB into the program. This definition keeps
// the library's (and the demangler) out of pelmora.exe; the program still aborts.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
