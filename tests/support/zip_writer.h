// Builds real zip archives in memory for tests: stored (uncompressed) entries with correct
// CRC-32s, local headers, a central directory and an end record, optionally in zip64 form.
// The layout of what was written is reported so tests can cut or corrupt at exact structures.
// Platform-free and header-only.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/wine_path.h"

namespace test_support {

inline uint32_t zip_crc32(const std::string& data) {
  static const std::vector<uint32_t> table = [] {
    std::vector<uint32_t> t(256);
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char ch : data) crc = table[(crc ^ ch) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

struct ZipOptions {
  // Writes zip64 extra fields (sizes and offsets as 0xFFFFFFFF in the classic fields), a zip64
  // end record and its locator, and an end record whose counts and offsets are all 0xFF.
  bool zip64 = false;
  std::string comment;  // the archive comment after the end record
};

// Offsets of every structure written, from the start of the archive.
struct ZipLayout {
  std::vector<uint64_t> local;    // local header of each entry
  std::vector<uint64_t> central;  // central header of each entry
  uint64_t central_start = 0;     // == central.front() when there are entries
  uint64_t central_size = 0;
  uint64_t zip64_record = 0;   // zip64 end record (zip64 only)
  uint64_t zip64_locator = 0;  // zip64 end locator (zip64 only)
  uint64_t end_record = 0;     // classic end record
  uint64_t size = 0;           // whole archive
};

inline void zip_put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
inline void zip_put32(std::string& out, uint32_t v) {
  zip_put16(out, v & 0xFFFF);
  zip_put16(out, v >> 16);
}
inline void zip_put64(std::string& out, uint64_t v) {
  zip_put32(out, static_cast<uint32_t>(v));
  zip_put32(out, static_cast<uint32_t>(v >> 32));
}

// Overwrites a little-endian value inside an archive (for corrupting fields in tests).
inline void zip_poke16(std::string& zip, uint64_t at, uint32_t v) {
  std::string b;
  zip_put16(b, v);
  zip.replace(static_cast<size_t>(at), 2, b);
}
inline void zip_poke32(std::string& zip, uint64_t at, uint32_t v) {
  std::string b;
  zip_put32(b, v);
  zip.replace(static_cast<size_t>(at), 4, b);
}
inline void zip_poke64(std::string& zip, uint64_t at, uint64_t v) {
  std::string b;
  zip_put64(b, v);
  zip.replace(static_cast<size_t>(at), 8, b);
}

inline std::string zip_archive(const std::vector<std::pair<std::string, std::string>>& entries,
                               const ZipOptions& options = {}, ZipLayout* layout = nullptr) {
  ZipLayout where;
  std::string out;
  const bool z64 = options.zip64;
  const uint32_t version = z64 ? 45 : 10;
  for (const auto& [name, data] : entries) {
    where.local.push_back(out.size());
    const uint32_t size32 = z64 ? 0xFFFFFFFFu : static_cast<uint32_t>(data.size());
    zip_put32(out, 0x04034b50);
    zip_put16(out, version);
    zip_put16(out, 0);     // flags
    zip_put16(out, 0);     // method: stored
    zip_put16(out, 0);     // time
    zip_put16(out, 0x21);  // date: 1 Jan 1980
    zip_put32(out, zip_crc32(data));
    zip_put32(out, size32);
    zip_put32(out, size32);
    zip_put16(out, static_cast<uint32_t>(name.size()));
    zip_put16(out, z64 ? 20 : 0);
    out += name;
    if (z64) {
      zip_put16(out, 0x0001);
      zip_put16(out, 16);
      zip_put64(out, data.size());
      zip_put64(out, data.size());
    }
    out += data;
  }
  where.central_start = out.size();
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto& [name, data] = entries[i];
    where.central.push_back(out.size());
    zip_put32(out, 0x02014b50);
    zip_put16(out, version);  // made by
    zip_put16(out, version);  // needed
    zip_put16(out, 0);
    zip_put16(out, 0);
    zip_put16(out, 0);
    zip_put16(out, 0x21);
    zip_put32(out, zip_crc32(data));
    zip_put32(out, z64 ? 0xFFFFFFFFu : static_cast<uint32_t>(data.size()));
    zip_put32(out, z64 ? 0xFFFFFFFFu : static_cast<uint32_t>(data.size()));
    zip_put16(out, static_cast<uint32_t>(name.size()));
    zip_put16(out, z64 ? 28 : 0);  // extra length
    zip_put16(out, 0);             // comment length
    zip_put16(out, 0);             // disk number start
    zip_put16(out, 0);             // internal attributes
    zip_put32(out, 0);             // external attributes
    zip_put32(out, z64 ? 0xFFFFFFFFu : static_cast<uint32_t>(where.local[i]));
    out += name;
    if (z64) {
      zip_put16(out, 0x0001);
      zip_put16(out, 24);
      zip_put64(out, data.size());
      zip_put64(out, data.size());
      zip_put64(out, where.local[i]);
    }
  }
  where.central_size = out.size() - where.central_start;
  if (z64) {
    where.zip64_record = out.size();
    zip_put32(out, 0x06064b50);
    zip_put64(out, 44);  // size of the rest of the record
    zip_put16(out, 45);
    zip_put16(out, 45);
    zip_put32(out, 0);  // this disk
    zip_put32(out, 0);  // disk with the central directory
    zip_put64(out, entries.size());
    zip_put64(out, entries.size());
    zip_put64(out, where.central_size);
    zip_put64(out, where.central_start);
    where.zip64_locator = out.size();
    zip_put32(out, 0x07064b50);
    zip_put32(out, 0);
    zip_put64(out, where.zip64_record);
    zip_put32(out, 1);  // total disks
  }
  where.end_record = out.size();
  zip_put32(out, 0x06054b50);
  zip_put16(out, 0);
  zip_put16(out, 0);
  zip_put16(out, z64 ? 0xFFFF : static_cast<uint32_t>(entries.size()));
  zip_put16(out, z64 ? 0xFFFF : static_cast<uint32_t>(entries.size()));
  zip_put32(out, z64 ? 0xFFFFFFFFu : static_cast<uint32_t>(where.central_size));
  zip_put32(out, z64 ? 0xFFFFFFFFu : static_cast<uint32_t>(where.central_start));
  zip_put16(out, static_cast<uint32_t>(options.comment.size()));
  out += options.comment;
  where.size = out.size();
  if (layout) *layout = where;
  return out;
}

#ifdef PELMORA_SOURCE_UNIX_PATH
// The archives made by real tools in tests/app/fixtures/jars: Debian's zip (deflated, extra
// fields; "-stream" written to a pipe, so with data descriptors), Python's zipfile
// (ZIP_DEFLATED; "-stream" to an unseekable file), and a zip behind a shell launcher stub.
inline const std::vector<std::string>& zip_tool_fixtures() {
  static const std::vector<std::string> names = {"tool-zip.jar", "tool-zip-stream.jar",
                                                 "python-deflated.jar", "python-stream.jar",
                                                 "stub-prefixed.jar"};
  return names;
}

// The bytes of one of them ("" when it cannot be read).
inline std::string zip_fixture(const std::string& name) {
  std::string path = std::string(PELMORA_SOURCE_UNIX_PATH) + "/tests/app/fixtures/jars/" + name;
#ifdef _WIN32
  path = wine_path(path);
#endif
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}
#endif

}  // namespace test_support
