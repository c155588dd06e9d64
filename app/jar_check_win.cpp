// The jar check on a file: reads at explicit offsets through one handle opened for reading.
#include <windows.h>

#include "app/jar_check.h"
#include "runtime/handles_win.h"

namespace {

// An error code for a failure the system did not give one for: never report 0.
uint32_t last_error_or(DWORD fallback) {
  const DWORD error = GetLastError();
  return error != 0 ? error : fallback;
}

class FileSource : public JarSource {
 public:
  explicit FileSource(const std::string& path) {
    // Others may keep reading, writing or even deleting the file (a running game holds the
    // client jar); the check only needs to read.
    handle_.reset(CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_) {
      error_ = last_error_or(ERROR_OPEN_FAILED);
      return;
    }
    // The standard information holds both the size and whether it is a folder; it is much
    // cheaper than GetFileInformationByHandle, which also asks for the volume.
    FILE_STANDARD_INFO info;
    if (!GetFileInformationByHandleEx(handle_.get(), FileStandardInfo, &info, sizeof info)) {
      error_ = last_error_or(ERROR_READ_FAULT);
    } else if (info.Directory) {
      error_ = ERROR_ACCESS_DENIED;  // what opening a folder as a file gives on Windows
    } else {
      size_ = static_cast<uint64_t>(info.EndOfFile.QuadPart);
    }
  }

  // 0 when the file is open and its size known, else why not.
  uint32_t open_error() const { return error_; }

  uint64_t size() const override { return size_; }

  bool read(uint64_t offset, void* buffer, size_t length, uint32_t* error) override {
    char* out = static_cast<char*>(buffer);
    while (length > 0) {
      OVERLAPPED at = {};
      at.Offset = static_cast<DWORD>(offset);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      const DWORD want = length > 0x1000000 ? 0x1000000 : static_cast<DWORD>(length);
      DWORD got = 0;
      if (!ReadFile(handle_.get(), out, want, &got, &at)) {
        *error = last_error_or(ERROR_READ_FAULT);
        return false;
      }
      if (got == 0) {  // the file became shorter while it was checked
        *error = ERROR_HANDLE_EOF;
        return false;
      }
      out += got;
      offset += got;
      length -= got;
    }
    return true;
  }

 private:
  win::Handle handle_;
  uint32_t error_ = 0;
  uint64_t size_ = 0;
};

}  // namespace

std::unique_ptr<JarSource> open_jar_file(const std::string& path, uint32_t* error) {
  auto source = std::make_unique<FileSource>(path);
  *error = source->open_error();
  if (*error != 0) return nullptr;
  return source;
}

JarCheck check_jar_file(const std::string& path) {
  FileSource source(path);
  if (source.open_error() != 0) {
    JarCheck failed;
    failed.verdict = JarVerdict::unreadable;
    failed.system_error = source.open_error();
    return failed;
  }
  return check_jar(source);
}
