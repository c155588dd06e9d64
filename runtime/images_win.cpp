// The image table and the visual-style probe. The program draws no image; the table exists so
// that every image object is released at the end, and the probe's results are not read.
#include <windows.h>

#include "runtime/internal.h"
#include "runtime/registry.h"

namespace {

struct ImageObject {
  HANDLE handle;  // bitmap or icon
};

struct DrawingRecord {
  HDC target;
  HGDIOBJ previous;
  int32_t mode;
};

ObjectTable* g_images = nullptr;
HMODULE g_msimg32 = nullptr;

void image_release(intptr_t number) {
  auto* image = static_cast<ImageObject*>(object_find(g_images, number));
  if (!image) return;
  if (GetObjectType(image->handle) == OBJ_BITMAP) {
    DeleteObject(image->handle);
  } else {
    DestroyIcon(static_cast<HICON>(image->handle));
  }
  object_release(g_images, number);
}

using DllGetVersionFn = HRESULT(CALLBACK*)(void*);
using IsAppThemedFn = BOOL(WINAPI*)();

struct DllVersionInfo {
  DWORD cbSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformID;
};

}  // namespace

void images_init() {
  thread_state_register(sizeof(DrawingRecord), nullptr, nullptr);
  g_images = object_table_create(sizeof(ImageObject), 16, image_release);
}

void images_end() { object_release_all(g_images); }

void visual_style_probe() {
  g_msimg32 = LoadLibraryA("msimg32.dll");
  if (g_msimg32) (void)GetProcAddress(g_msimg32, "AlphaBlend");

  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
#ifdef __GNUC__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  (void)GetVersionExA(&version);
#ifdef __GNUC__
#pragma GCC diagnostic pop
#endif

  if (HMODULE uxtheme = LoadLibraryA("uxtheme.dll")) {
    if (auto themed = reinterpret_cast<IsAppThemedFn>(
            reinterpret_cast<void*>(GetProcAddress(uxtheme, "IsAppThemed")))) {
      (void)themed();
    }
    FreeLibrary(uxtheme);
  }
  if (HMODULE comctl = LoadLibraryA("comctl32.dll")) {
    if (auto get_version = reinterpret_cast<DllGetVersionFn>(
            reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")))) {
      DllVersionInfo info = {};
      info.cbSize = sizeof info;
      (void)get_version(&info);
    }
    FreeLibrary(comctl);
  }
}

void visual_style_end() {
  if (g_msimg32) FreeLibrary(g_msimg32);
  g_msimg32 = nullptr;
}
