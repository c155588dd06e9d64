// Runs inside the program under test (loaded and called through remote threads): counts the
// process's GDI objects and kernel handles. Where the system gives no count (Wine answers
// GetGuiResources with 0, GetProcessHandleCount fails, and its process list reports the handle
// table's size), the handles are probed: Wine's GDI handles carry their table index in the low
// word, and a handle with a zero high word matches the entry whatever its generation; kernel
// handles are multiples of 4 and every valid one answers GetHandleInformation.
#include <windows.h>

#include <cstdint>

extern "C" __declspec(dllexport) DWORD WINAPI soak_count_gdi_objects(LPVOID) {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported != 0) return reported;
  DWORD count = 0;
  for (uintptr_t index = 1; index < 0x10000; ++index) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  }
  return count;
}

extern "C" __declspec(dllexport) DWORD WINAPI soak_count_handles(LPVOID) {
  DWORD reported = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &reported) && reported != 0) return reported;
  DWORD count = 0;
  for (uintptr_t value = 4; value < 0x10000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}
