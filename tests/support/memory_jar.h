// A JarSource over bytes in memory (counting reads, failing a chosen one) and a JarSink that
// collects what is written (failing after a chosen number of bytes). Platform-free, header-only.
#pragma once

#include <cstring>
#include <string>

#include "app/jar_merge.h"

namespace test_support {

class MemorySource : public JarSource {
 public:
  explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
  uint64_t size() const override { return bytes_.size(); }
  bool read(uint64_t offset, void* buffer, size_t length, uint32_t* error) override {
    if (++reads == fail_read || offset > bytes_.size() || length > bytes_.size() - offset) {
      *error = 23;
      return false;
    }
    std::memcpy(buffer, bytes_.data() + offset, length);
    bytes_read += length;
    return true;
  }
  int fail_read = 0;
  int reads = 0;
  uint64_t bytes_read = 0;

 private:
  std::string bytes_;
};

class MemorySink : public JarSink {
 public:
  bool write(const void* data, size_t length, uint32_t* error) override {
    if (bytes.size() + length > fail_after) {
      *error = 112;
      return false;
    }
    bytes.append(static_cast<const char*>(data), length);
    return true;
  }
  std::string bytes;
  size_t fail_after = static_cast<size_t>(-1);
};

}  // namespace test_support
