// The jar check: does a file have the structure of a zip archive, whole and not cut short?
//
// It reads the end of the file, the central directory and two local headers, never the entries'
// data, so its cost grows with the number of entries and not with the size of the file. Nothing
// is decompressed. Like Java's zip reader it accepts an archive behind bytes its offsets do not
// count (a launcher stub) and a 16-bit entry count wrapped by more than 65,535 entries. check_jar
// is platform-free and reads through a JarSource; check_jar_file reads a file on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class JarVerdict {
  ok,
  not_zip,     // no end record and no local header at the start: not an archive at all
  damaged,     // an archive, but cut short or with records that do not agree
  unreadable,  // the file could not be opened or read (system_error tells why)
};

struct JarCheck {
  JarVerdict verdict = JarVerdict::ok;
  uint32_t system_error = 0;  // the system's error code when unreadable, 0 otherwise
  bool ok() const { return verdict == JarVerdict::ok; }
};

class JarSource {
 public:
  virtual ~JarSource() = default;
  virtual uint64_t size() const = 0;
  // Reads exactly `length` bytes at `offset`; false (and *error set) when that fails.
  virtual bool read(uint64_t offset, void* buffer, size_t length, uint32_t* error) = 0;
};

// Checks the archive structure read through source.
JarCheck check_jar(JarSource& source);

// One entry as the central directory records it. The views point into its listing's records.
struct JarEntry {
  const uint8_t* header = nullptr;  // the central header's fixed part (46 bytes), as stored
  std::string_view name;
  std::string_view extra;    // the central header's extra field, as stored
  std::string_view comment;  // the entry's comment
  // From the header or its zip64 extra field; the offset counts a prefix before the archive.
  uint64_t local_offset = 0;
  uint64_t compressed_size = 0;
  uint64_t uncompressed_size = 0;
};

// Moved, never copied: the entries point into `records`.
struct JarListing {
  JarListing() = default;
  JarListing(JarListing&&) = default;
  JarListing& operator=(JarListing&&) = default;
  JarListing(const JarListing&) = delete;
  JarListing& operator=(const JarListing&) = delete;

  std::vector<JarEntry> entries;  // in the order of the central directory
  std::vector<uint8_t> records;   // the central headers, one allocation for all of them
  uint64_t directory_offset = 0;  // where the central directory starts in the file
};

// Checks the archive like check_jar and, when it passes, lists its entries (the listing is
// emptied otherwise). Like the check it reads the central directory and two local headers.
JarCheck list_jar(JarSource& source, JarListing* listing);

#ifdef _WIN32
// Opens a file for reading as a JarSource, sharing read, write and delete; null with *error
// set when it cannot be opened or is a folder.
std::unique_ptr<JarSource> open_jar_file(const std::string& path, uint32_t* error);
#endif

#ifdef _WIN32
// Opens the file (sharing read, write and delete, so a running game is not disturbed) and
// checks it. A missing file or a folder is unreadable, with the system's error code.
JarCheck check_jar_file(const std::string& path);
#endif
