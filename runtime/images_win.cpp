// The image table. The program draws no image; the table exists so that every image object is
// released at the end.
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

}  // namespace

void images_init() {
  thread_state_register(sizeof(DrawingRecord), nullptr, nullptr);
  g_images = object_table_create(sizeof(ImageObject), 16, image_release);
}

void images_end() { object_release_all(g_images); }
