// Runs inside the program under test (loaded and called through remote threads): counts the
// process's GDI objects and kernel handles.
#include <windows.h>

#include "support/resource_counts_win.h"

extern "C" __declspec(dllexport) DWORD WINAPI soak_count_gdi_objects(LPVOID) {
  return test_support::count_gdi_objects();
}

extern "C" __declspec(dllexport) DWORD WINAPI soak_count_handles(LPVOID) {
  return test_support::count_kernel_handles();
}
