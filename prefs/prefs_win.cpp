// The Win32 side of the preference files: opening with the three sharing attempts, reading the
// contents, creating, and replacing the file with its new text at close.
#include <windows.h>

#include <cstring>
#include <string>

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

// The file's contents are written beside it under this suffix ("-2", "-3", ... when taken).
constexpr char kStagingSuffix[] = ".pelmora-neu";
constexpr int kStagingNames = 100;

DWORD last_error_or(DWORD fallback) {
  const DWORD error = GetLastError();
  return error ? error : fallback;
}

// Creates a file that no file has the name of, at base or base + "-n", and gives its name.
HANDLE create_staging_file(const std::string& base, DWORD attributes, std::string* made) {
  for (int attempt = 1; attempt <= kStagingNames; ++attempt) {
    const std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    HANDLE h =
        CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      *made = name;
      return h;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return h;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return INVALID_HANDLE_VALUE;
}

// Writes the whole text to a new file beside `name`, forces it to the disk and moves it over
// `name` in one step, so that a process killed meanwhile leaves the old file whole and a failure
// (a full disk) leaves it as it was. 0, or the system's reason.
DWORD replace_with_text(const PreferenceFile& f, const char* name) {
  FileText text = file_build_text(f);
  if (!text.data) return ERROR_NOT_ENOUGH_MEMORY;
  // The new file keeps the old one's hidden and system marks.
  const DWORD old = GetFileAttributesA(name);
  const DWORD kept =
      old == INVALID_FILE_ATTRIBUTES ? 0 : old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  std::string staging;
  DWORD error = 0;
  {
    FileHandle h(create_staging_file(std::string(name) + kStagingSuffix,
                                     FILE_ATTRIBUTE_NORMAL | kept, &staging));
    if (!h.valid()) {
      error = last_error_or(ERROR_WRITE_FAULT);
    } else if (!write_all(h.get(), text.data, text.size) || !FlushFileBuffers(h.get())) {
      error = last_error_or(ERROR_WRITE_FAULT);
    }
  }
  heap_free(text.data);
  if (!error &&
      !MoveFileExA(staging.c_str(), name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = last_error_or(ERROR_WRITE_FAULT);
  }
  // A staging file that cannot be removed is found by name at the next start.
  if (error && !staging.empty()) DeleteFileA(staging.c_str());
  return error;
}

// The full path of a file name, so that a later change of the current directory cannot move the
// file written back; nullptr when memory runs out.
char* full_name(const char* name) {
  char buffer[MAX_PATH * 2];
  const DWORD n = GetFullPathNameA(name, sizeof buffer, buffer, nullptr);
  return heap_strdup(n > 0 && n < sizeof buffer ? buffer : name);
}

DWORD close_file(PreferenceFile& f) {
  // A file opened read-only keeps its contents and the changes are dropped. Only a file that
  // was opened, or did not exist, has a name to be written under.
  const bool write = f.modified && !f.read_only && f.file_name;
  FileHandle h(f.handle ? handle_of(f) : INVALID_HANDLE_VALUE);
  f.handle = 0;
  h.reset(INVALID_HANDLE_VALUE);  // an open file cannot be replaced
  const DWORD error = write ? replace_with_text(f, f.file_name) : 0;
  // The memory stays for the next file of this thread: reopening touches no fresh pages.
  file_release_keep_memory(f);
  return error;
}

void slice_cleanup(void* slice) {
  auto& f = *static_cast<PreferenceFile*>(slice);
  close_file(f);
  file_release(f);
}

}  // namespace

void prefs_init() { prefs_register_slice(&slice_cleanup); }

void prefs_shutdown() {
  prefs_close();
  if (PreferenceFile* f = prefs_current()) file_release(*f);
}

uint32_t prefs_close() {
  PreferenceFile* f = prefs_current();
  return f ? close_file(*f) : 0;
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
    f->read_only = 0;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      f->file_name = full_name(name);
    }
    return 0;
  }
  f->file_name = full_name(name);
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
  f->file_name = full_name(file_name ? file_name : "");
  f->handle = reinterpret_cast<uintptr_t>(h);
  return f->handle;
}
