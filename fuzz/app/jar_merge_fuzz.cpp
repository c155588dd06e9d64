// libFuzzer target of the jar merge. The first two bytes give the length of the base (modulo
// what is there), the rest is the mod. The merge must never crash or read outside a source;
// whenever both pass the jar check it succeeds, or finds a local header the check does not read
// broken or nothing left to write, and what it wrote passes the check.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/jar_merge.h"

namespace {

class FuzzSource : public JarSource {
 public:
  FuzzSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t size() const override { return size_; }
  bool read(uint64_t offset, void* buffer, size_t length, uint32_t*) override {
    if (offset > size_ || length > size_ - offset) std::abort();  // outside the file
    if (length > 0) std::memcpy(buffer, data_ + offset, length);
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

class StringSink : public JarSink {
 public:
  bool write(const void* data, size_t length, uint32_t*) override {
    bytes.append(static_cast<const char*>(data), length);
    return true;
  }
  std::string bytes;
};

bool passes(const uint8_t* data, size_t size) {
  FuzzSource source(data, size);
  return check_jar(source).ok();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t base_size = (data[0] | (data[1] << 8)) % (size - 1);
  const uint8_t* base_data = data + 2;
  const uint8_t* mod_data = base_data + base_size;
  const size_t mod_size = size - 2 - base_size;
  FuzzSource base(base_data, base_size);
  FuzzSource mod(mod_data, mod_size);
  StringSink sink;
  const JarMerge result = merge_jars(base, {&mod}, sink);
  const bool both_pass = passes(base_data, base_size) && passes(mod_data, mod_size);
  if (result.ok()) {
    if (!both_pass) std::abort();
    const uint8_t* out = reinterpret_cast<const uint8_t*>(sink.bytes.data());
    if (!passes(out, sink.bytes.size()) || result.size != sink.bytes.size()) std::abort();
  } else if (both_pass && result.outcome != MergeOutcome::nothing_left &&
             (result.outcome != MergeOutcome::bad_source ||
              result.check.verdict != JarVerdict::damaged)) {
    std::abort();
  }
  return 0;
}
