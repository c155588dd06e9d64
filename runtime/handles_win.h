// Owning wrappers for the system's handles: kernel handles (files, processes, threads, events),
// find handles, loaded modules and GDI objects. Each closes its handle once, with the function
// that handle needs, and can be moved but not copied. Windows only.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

template <typename Traits>
class Owned {
 public:
  using Handle = typename Traits::Handle;

  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  ~Owned() { reset(); }
  Owned(Owned&& other) noexcept : handle_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle get() const { return handle_; }
  // True while a handle is held (null and INVALID_HANDLE_VALUE are none).
  bool ok() const { return Traits::valid(handle_); }
  explicit operator bool() const { return ok(); }
  // For functions that return a handle through a pointer: whatever was held is closed first.
  Handle* out() {
    reset();
    return &handle_;
  }
  Handle release() { return std::exchange(handle_, Traits::none()); }
  void reset(Handle handle = Traits::none()) {
    if (Traits::valid(handle_)) Traits::close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::none();
};

// Kernel handles; functions differ in what they return on failure, so both count as none.
struct KernelTraits {
  using Handle = HANDLE;
  static HANDLE none() { return nullptr; }
  static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { CloseHandle(h); }
};

// Search handles of FindFirstFileA.
struct FindTraits {
  using Handle = HANDLE;
  static HANDLE none() { return INVALID_HANDLE_VALUE; }
  static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { FindClose(h); }
};

// Modules loaded with LoadLibraryA.
struct ModuleTraits {
  using Handle = HMODULE;
  static HMODULE none() { return nullptr; }
  static bool valid(HMODULE h) { return h != nullptr; }
  static void close(HMODULE h) { FreeLibrary(h); }
};

// GDI objects (brushes, fonts, bitmaps) that the holder created.
template <typename Object>
struct GdiTraits {
  using Handle = Object;
  static Object none() { return nullptr; }
  static bool valid(Object h) { return h != nullptr; }
  static void close(Object h) { DeleteObject(h); }
};

using Handle = Owned<KernelTraits>;
using FindHandle = Owned<FindTraits>;
using Module = Owned<ModuleTraits>;
template <typename Object>
using GdiObject = Owned<GdiTraits<Object>>;

}  // namespace win
