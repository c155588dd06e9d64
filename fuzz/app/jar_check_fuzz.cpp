// libFuzzer target of the jar check. The first byte chooses the file: 0 uses the rest of the
// input as it is; otherwise the next eight bytes give a length of zeros placed before the rest,
// so that offsets and sizes near the limits of 64 bits look plausible. The check must never read
// outside the file, never report a read error the source did not give, and read the bytes
// behind its verdict only within its bounds.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/jar_check.h"

namespace {

class FuzzSource : public JarSource {
 public:
  FuzzSource(uint64_t zeros, const uint8_t* data, size_t size)
      : zeros_(zeros), data_(data), data_size_(size) {}
  uint64_t size() const override { return zeros_ + data_size_; }
  bool read(uint64_t offset, void* buffer, size_t length, uint32_t*) override {
    if (offset > size() || length > size() - offset) std::abort();  // outside the file
    bytes_read += length;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    const size_t zero_part =
        offset >= zeros_ ? 0
                         : static_cast<size_t>(zeros_ - offset < length ? zeros_ - offset : length);
    std::memset(out, 0, zero_part);
    if (length > zero_part) {
      std::memcpy(out + zero_part, data_ + (offset + zero_part - zeros_), length - zero_part);
    }
    return true;
  }
  uint64_t bytes_read = 0;

 private:
  uint64_t zeros_;
  const uint8_t* data_;
  size_t data_size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint64_t zeros = 0;
  const bool padded = data[0] != 0;
  ++data;
  --size;
  if (padded) {
    if (size < 8) return 0;
    std::memcpy(&zeros, data, 8);
    data += 8;
    size -= 8;
    if (zeros > UINT64_MAX - size) zeros = UINT64_MAX - size;
  }
  FuzzSource source(zeros, data, size);
  const JarCheck result = check_jar(source);
  if (result.verdict == JarVerdict::unreadable) std::abort();  // every read succeeded
  if (result.system_error != 0) std::abort();
  // The tail, then for each of at most eight end records tried: a few fixed records, the
  // signature where a prefixed archive's directory would start, two local headers and a
  // directory no larger than the file.
  if (!padded && source.bytes_read > 65557 + 8 * (size + 4 + 4 + 20 + 56 + 6 + 2 * 30)) {
    std::abort();
  }
  // A file that begins like an archive is never "not a zip".
  if (result.verdict == JarVerdict::not_zip && zeros == 0 && size >= 4 &&
      std::memcmp(data, "PK\x03\x04", 4) == 0) {
    std::abort();
  }
  return 0;
}
