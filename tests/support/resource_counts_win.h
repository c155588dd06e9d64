// Counts of the calling process's GDI objects and kernel handles, for leak checks. Where the
// system gives no count (Wine answers GetGuiResources with 0 and GetProcessHandleCount with 0 or
// a failure), the handles are probed: Wine's GDI handles carry their table index in the low word,
// and a handle with a zero high word matches the entry whatever its generation; kernel handles
// are multiples of 4 and every valid one answers GetHandleInformation.
#pragma once

#include <windows.h>

#include <cstdint>

namespace test_support {

struct ResourceCounts {
  DWORD handles = 0;
  DWORD gdi = 0;
  DWORD user = 0;
};

inline DWORD count_gdi_objects() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported != 0) return reported;
  DWORD count = 0;
  for (uintptr_t index = 1; index < 0x10000; ++index) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  }
  return count;
}

inline DWORD count_kernel_handles() {
  DWORD reported = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &reported) && reported != 0) return reported;
  DWORD count = 0;
  for (uintptr_t value = 4; value < 0x10000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

}  // namespace test_support
