// The Win32 side of the preference files: opening with the three sharing attempts, reading the
// contents, creating, and writing the file back at close.
#include <windows.h>

#include <cstring>

#include "prefs/prefs.h"
#include "prefs/prefs_file.h"
#include "prefs/prefs_internal.h"
#include "runtime/runtime.h"

namespace {

class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() { reset(INVALID_HANDLE_VALUE); }
  FileHandle(FileHandle&& other) noexcept : h_(other.release()) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  HANDLE release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  void reset(HANDLE h) {
    if (valid()) CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

HANDLE open_file(const char* name, DWORD access, DWORD share, DWORD disposition) {
  return CreateFileA(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE handle_of(const PreferenceFile& f) { return reinterpret_cast<HANDLE>(f.handle); }

// Bytes read into out, up to size; stops early only at an error or the end of the file.
size_t read_all(void* context, char* out, size_t size) {
  HANDLE h = static_cast<HANDLE>(context);
  size_t total = 0;
  while (total < size) {
    DWORD chunk = size - total > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size - total);
    DWORD got = 0;
    if (!ReadFile(h, out + total, chunk, &got, nullptr) || got == 0) break;
    total += got;
  }
  return total;
}

bool write_all(HANDLE h, const char* data, size_t size) {
  while (size > 0) {
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(h, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool seek(HANDLE h, uint64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(position);
  return SetFilePointerEx(h, to, nullptr, FILE_BEGIN) != 0;
}

bool seek_to_start(void* context) { return seek(static_cast<HANDLE>(context), 0); }

// A size that cannot be had counts like contents that cannot be read: the file is read-only.
void load_contents(PreferenceFile& f, HANDLE h) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size) || size.QuadPart < 0) {
    f.read_only = 1;
    return;
  }
  file_load(f, static_cast<uint64_t>(size.QuadPart), FileReader{&read_all, &seek_to_start, h});
}

// Rewrites the whole file with the list's text. A text longer than the file first has its tail
// written behind the old contents, so that a full disk is met before anything old is
// overwritten: the file is then cut back and stays as it was. When the text cannot be built,
// the file stays unchanged too.
void write_back(const PreferenceFile& f, HANDLE h) {
  FileText text = file_build_text(f);
  if (!text.data) return;
  LARGE_INTEGER old_size;
  if (GetFileSizeEx(h, &old_size)) {
    size_t head = text.size;
    bool ok = true;
    if (static_cast<uint64_t>(old_size.QuadPart) < text.size) {
      head = static_cast<size_t>(old_size.QuadPart);
      ok = seek(h, head) && write_all(h, text.data + head, text.size - head);
      if (!ok && seek(h, head)) SetEndOfFile(h);
    }
    if (ok && seek(h, 0) && write_all(h, text.data, head) && seek(h, text.size)) SetEndOfFile(h);
  }
  heap_free(text.data);
}

void close_file(PreferenceFile& f) {
  // Only a name-only record (the file did not exist) creates its file; a file that was opened
  // read-only keeps its contents, and the changes are dropped.
  const bool name_only = f.handle == 0;
  FileHandle h(f.handle ? handle_of(f) : INVALID_HANDLE_VALUE);
  f.handle = 0;
  if (h.valid() && f.modified && f.read_only) h.reset(INVALID_HANDLE_VALUE);  // changes dropped
  if (f.modified && name_only && f.file_name) {
    h.reset(open_file(f.file_name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS));
  }
  if (h.valid() && f.modified) write_back(f, h.get());
  file_release(f);
}

void slice_cleanup(void* slice) { close_file(*static_cast<PreferenceFile*>(slice)); }

}  // namespace

void prefs_init() { prefs_register_slice(&slice_cleanup); }

void prefs_shutdown() { prefs_close(); }

void prefs_close() {
  if (PreferenceFile* f = prefs_current()) close_file(*f);
}

uintptr_t prefs_open(const char* file_name) {
  PreferenceFile* f = prefs_current();
  if (!f) return 0;
  close_file(*f);
  const char* name = file_name ? file_name : "";
  FileHandle h(open_file(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
  DWORD error = h.valid() ? 0 : GetLastError();
  if (!h.valid()) {
    f->read_only = 1;
    h.reset(open_file(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    if (!h.valid())
      h.reset(open_file(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (!h.valid()) error = GetLastError();
  }
  if (!h.valid()) {
    // Only a file that does not exist may be created at close; one that exists but cannot be
    // opened (held by another program, access denied) must never be replaced.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      f->file_name = heap_strdup(name);
    } else {
      f->read_only = 0;
    }
    return 0;
  }
  f->handle = reinterpret_cast<uintptr_t>(h.release());
  load_contents(*f, handle_of(*f));
  return f->handle;
}

uintptr_t prefs_create(const char* file_name) {
  PreferenceFile* f = prefs_current();
  if (!f) return 0;
  close_file(*f);
  HANDLE h = open_file(file_name ? file_name : "", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                       CREATE_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) return 0;
  f->handle = reinterpret_cast<uintptr_t>(h);
  return f->handle;
}
