// The zip structure check. All offsets and sizes come from the file and are untrusted: every sum
// is done as "does it fit in what is left" so that no arithmetic can wrap.
#include "app/jar_check.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kDigitalSignature = 0x05054b50;

constexpr uint64_t kLocalSize = 30;
constexpr uint64_t kCentralSize = 46;
constexpr uint64_t kEndSize = 22;
constexpr uint64_t kZip64EndSize = 56;
constexpr uint64_t kZip64LocatorSize = 20;
constexpr uint64_t kTailSize = kEndSize + 0xFFFF;  // the end record and the longest comment

// The central directory is read in pieces of this size (that of a jar with 10,000 entries is
// about 800 KB). Larger pieces save reads but cost more: under Wine a fresh buffer of 1 MiB
// takes longer to allocate and fault in than twelve reads of 64 KiB.
constexpr size_t kWindowSize = 64 * 1024;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(le16(p)) | (static_cast<uint32_t>(le16(p + 2)) << 16);
}
uint64_t le64(const uint8_t* p) {
  return static_cast<uint64_t>(le32(p)) | (static_cast<uint64_t>(le32(p + 4)) << 32);
}

// a + b <= limit, without computing a + b.
bool fits(uint64_t a, uint64_t b, uint64_t limit) { return a <= limit && b <= limit - a; }

JarCheck verdict(JarVerdict v, uint32_t error = 0) {
  JarCheck c;
  c.verdict = v;
  c.system_error = error;
  return c;
}

// Reads through the source and remembers the first failure. Reads that lie inside the tail of
// the file, which is read first, are served from it (on Windows every read is a system call).
class Reader {
 public:
  explicit Reader(JarSource& source) : source_(source) {}
  bool read(uint64_t offset, void* buffer, size_t length) {
    if (length == 0) return true;
    if (offset >= tail_offset_ && offset - tail_offset_ <= tail_.size() &&
        length <= tail_.size() - (offset - tail_offset_)) {
      std::memcpy(buffer, tail_.data() + (offset - tail_offset_), length);
      return true;
    }
    uint32_t error = 0;
    if (source_.read(offset, buffer, length, &error)) return true;
    failed_ = true;
    error_ = error;
    return false;
  }
  // Reads the last `length` bytes of the file and keeps them.
  bool read_tail(uint64_t file_size, uint64_t length) {
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (!read(file_size - length, bytes.data(), bytes.size())) return false;
    tail_ = std::move(bytes);
    tail_offset_ = file_size - length;
    return true;
  }
  const std::vector<uint8_t>& tail() const { return tail_; }
  uint64_t tail_offset() const { return tail_offset_; }
  bool failed() const { return failed_; }
  JarCheck failure() const { return verdict(JarVerdict::unreadable, error_); }

 private:
  JarSource& source_;
  std::vector<uint8_t> tail_;
  uint64_t tail_offset_ = 0;
  bool failed_ = false;
  uint32_t error_ = 0;
};

// A forward-moving view of [begin, end) of the file, refilled in pieces of kWindowSize.
class Window {
 public:
  Window(Reader& reader, uint64_t end) : reader_(reader), end_(end) {}
  // The bytes [at, at + length); the caller has checked that they lie before the end.
  const uint8_t* get(uint64_t at, size_t length) {
    if (at >= start_ && at - start_ <= bytes_.size() && length <= bytes_.size() - (at - start_)) {
      return bytes_.data() + (at - start_);
    }
    const uint64_t rest = end_ - at;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(rest, std::max(length, kWindowSize)));
    bytes_.resize(n);
    start_ = at;
    if (!reader_.read(at, bytes_.data(), n)) {
      bytes_.clear();
      return nullptr;
    }
    return bytes_.data();
  }

 private:
  Reader& reader_;
  uint64_t end_;
  uint64_t start_ = 0;
  std::vector<uint8_t> bytes_;
};

// Where the central directory is, from the end records.
struct Directory {
  uint64_t entries = 0;
  uint64_t offset = 0;  // where it lies in the file, any prefix before the archive included
  uint64_t size = 0;
  // Bytes in front of the archive whose offsets were not adjusted (a launcher stub): every
  // offset recorded in the archive is this much too small.
  uint64_t shift = 0;
  // Without zip64 records the entry count has 16 bits; archives of more entries carry it
  // wrapped, so the directory's headers are counted up to its size.
  bool count_may_wrap = false;
};

// One entry as far as its local header is concerned.
struct Entry {
  uint64_t local_offset = 0;
  uint64_t compressed_size = 0;
  uint64_t uncompressed_size = 0;
};

// At most this many end records are tried; a real archive passes with the first.
constexpr size_t kMaxEndCandidates = 8;

// Scans the tail backward for end records and lists them, best first: those whose comment ends
// exactly at the end of the file, then those whose comment ends before it (bytes after an
// archive are tolerated), each nearest the end first. A record whose comment runs past the end
// is no candidate; *seen tells whether any signature was found at all.
std::vector<uint64_t> find_ends(const std::vector<uint8_t>& tail, uint64_t tail_offset,
                                uint64_t file_size, bool* seen) {
  std::vector<uint64_t> exact;
  std::vector<uint64_t> inside;
  *seen = false;
  if (tail.size() < kEndSize) return exact;
  for (size_t i = tail.size() - kEndSize + 1; i-- > 0;) {
    if (le32(&tail[i]) != kEndSignature) continue;
    *seen = true;
    const uint64_t at = tail_offset + i;
    const uint64_t room = file_size - at - kEndSize;  // the record itself lies in the tail
    const uint16_t comment = le16(&tail[i + 20]);
    if (comment == room && exact.size() < kMaxEndCandidates) exact.push_back(at);
    if (comment < room && inside.size() < kMaxEndCandidates) inside.push_back(at);
  }
  exact.insert(exact.end(), inside.begin(), inside.end());
  if (exact.size() > kMaxEndCandidates) exact.resize(kMaxEndCandidates);
  return exact;
}

// Reads the zip64 end record named by the locator just before the end record, and checks that it
// agrees with the classic record (whose fields are either the real value or all ones).
JarVerdict read_zip64(Reader& reader, uint64_t locator_offset, const uint8_t* end, Directory* dir,
                      uint64_t* directory_limit) {
  uint8_t locator[kZip64LocatorSize];
  if (!reader.read(locator_offset, locator, sizeof locator)) return JarVerdict::unreadable;
  const uint64_t record_offset = le64(locator + 8);
  const uint32_t total_disks = le32(locator + 16);
  if (le32(locator + 4) != 0 || total_disks > 1) return JarVerdict::damaged;
  if (!fits(record_offset, kZip64EndSize, locator_offset)) return JarVerdict::damaged;

  uint8_t record[kZip64EndSize];
  if (!reader.read(record_offset, record, sizeof record)) return JarVerdict::unreadable;
  if (le32(record) != kZip64EndSignature) return JarVerdict::damaged;
  const uint64_t record_size = le64(record + 4);  // counted after the size field itself
  if (record_size < kZip64EndSize - 12 || !fits(record_offset + 12, record_size, locator_offset)) {
    return JarVerdict::damaged;
  }
  const uint32_t disk = le32(record + 16);
  const uint32_t directory_disk = le32(record + 20);
  const uint64_t disk_entries = le64(record + 24);
  dir->entries = le64(record + 32);
  dir->size = le64(record + 40);
  dir->offset = le64(record + 48);
  if (disk != 0 || directory_disk != 0 || disk_entries != dir->entries) {
    return JarVerdict::damaged;
  }
  const auto agrees16 = [](uint16_t classic, uint64_t wide) {
    return classic == 0xFFFF || classic == wide;
  };
  const auto agrees32 = [](uint32_t classic, uint64_t wide) {
    return classic == 0xFFFFFFFFu || classic == wide;
  };
  if (!agrees16(le16(end + 4), 0) || !agrees16(le16(end + 6), 0) ||
      !agrees16(le16(end + 8), dir->entries) || !agrees16(le16(end + 10), dir->entries) ||
      !agrees32(le32(end + 12), dir->size) || !agrees32(le32(end + 16), dir->offset)) {
    return JarVerdict::damaged;
  }
  *directory_limit = record_offset;
  return JarVerdict::ok;
}

// Reads the end record (and the zip64 records when present) into dir; *limit is where the
// central directory must end at the latest.
JarVerdict read_end(Reader& reader, const uint8_t* end, uint64_t end_offset, Directory* dir,
                    uint64_t* limit) {
  if (end_offset >= kZip64LocatorSize) {
    uint8_t signature[4];
    const uint64_t locator_offset = end_offset - kZip64LocatorSize;
    if (!reader.read(locator_offset, signature, sizeof signature)) return JarVerdict::unreadable;
    if (le32(signature) == kZip64LocatorSignature) {
      return read_zip64(reader, locator_offset, end, dir, limit);
    }
  }
  if (le16(end + 4) != 0 || le16(end + 6) != 0 || le16(end + 8) != le16(end + 10)) {
    return JarVerdict::damaged;  // split over several disks
  }
  dir->entries = le16(end + 10);
  dir->size = le32(end + 12);
  dir->offset = le32(end + 16);
  dir->count_may_wrap = true;
  *limit = end_offset;
  return JarVerdict::ok;
}

// Replaces the all-ones fields of a central header by the values of its zip64 extra field, which
// holds, in this order, only those that are all ones: uncompressed size, compressed size, local
// header offset, disk number.
bool apply_zip64_extra(const uint8_t* extra, size_t length, bool wide_uncompressed,
                       bool wide_compressed, bool wide_offset, bool wide_disk, Entry* entry,
                       uint32_t* disk) {
  size_t at = 0;
  while (length - at >= 4) {
    const uint16_t id = le16(extra + at);
    const size_t size = le16(extra + at + 2);
    at += 4;
    if (size > length - at) return false;
    if (id == 0x0001) {
      const uint8_t* p = extra + at;
      size_t left = size;
      const auto take64 = [&](uint64_t* value) {
        if (left < 8) return false;
        *value = le64(p);
        p += 8;
        left -= 8;
        return true;
      };
      if (wide_uncompressed && !take64(&entry->uncompressed_size)) return false;
      if (wide_compressed && !take64(&entry->compressed_size)) return false;
      if (wide_offset && !take64(&entry->local_offset)) return false;
      if (wide_disk) {
        if (left < 4) return false;
        *disk = le32(p);
      }
      return true;
    }
    at += size;
  }
  return false;
}

// Copies the central header at `at` (checked to lie inside the directory) into the listing.
bool add_entry(Window& window, uint64_t at, const Entry& entry, JarListing* listing) {
  const uint8_t* h = window.get(at, kCentralSize);
  if (h == nullptr) return false;
  // The records were given room for the whole directory: appending never moves them.
  std::vector<uint8_t>& records = listing->records;
  const size_t start = records.size();
  records.insert(records.end(), h, h + kCentralSize);
  const size_t name = le16(h + 28);
  const size_t extra = le16(h + 30);
  const size_t comment = le16(h + 32);
  const uint8_t* rest = window.get(at + kCentralSize, name + extra + comment);
  if (rest == nullptr) return false;
  records.insert(records.end(), rest, rest + name + extra + comment);
  JarEntry out;
  out.header = records.data() + start;
  const char* text = reinterpret_cast<const char*>(out.header + kCentralSize);
  out.name = std::string_view(text, name);
  out.extra = std::string_view(text + name, extra);
  out.comment = std::string_view(text + name + extra, comment);
  out.local_offset = entry.local_offset;
  out.compressed_size = entry.compressed_size;
  out.uncompressed_size = entry.uncompressed_size;
  listing->entries.push_back(out);
  return true;
}

// Walks every central header; on success *first and *last are the entries whose local headers
// lie first and last in the file, and each entry was added to *listing when it is not null.
JarVerdict read_directory(Reader& reader, const Directory& dir, Entry* first, Entry* last,
                          JarListing* listing) {
  const uint64_t end = dir.offset + dir.size;  // checked to fit by the caller
  Window window(reader, end);
  uint64_t at = dir.offset;
  uint64_t count = 0;
  for (;; ++count) {
    if (count >= dir.entries) {
      if (!dir.count_may_wrap || end - at < kCentralSize) break;
      const uint8_t* s = window.get(at, 4);
      if (s == nullptr) return JarVerdict::unreadable;
      if (le32(s) != kCentralSignature) break;
    }
    if (end - at < kCentralSize) return JarVerdict::damaged;
    const uint8_t* h = window.get(at, kCentralSize);
    if (h == nullptr) return JarVerdict::unreadable;
    if (le32(h) != kCentralSignature) return JarVerdict::damaged;
    const uint64_t name = le16(h + 28);
    const uint64_t extra = le16(h + 30);
    const uint64_t comment = le16(h + 32);
    const uint64_t length = kCentralSize + name + extra + comment;
    if (end - at < length) return JarVerdict::damaged;

    Entry entry;
    entry.compressed_size = le32(h + 20);
    entry.uncompressed_size = le32(h + 24);
    entry.local_offset = le32(h + 42);
    uint32_t disk = le16(h + 34);
    const bool wide_uncompressed = le32(h + 24) == 0xFFFFFFFFu;
    const bool wide_compressed = entry.compressed_size == 0xFFFFFFFFu;
    const bool wide_offset = entry.local_offset == 0xFFFFFFFFu;
    const bool wide_disk = disk == 0xFFFF;
    if (wide_uncompressed || wide_compressed || wide_offset || wide_disk) {
      if (extra == 0) return JarVerdict::damaged;
      const uint8_t* x = window.get(at + kCentralSize + name, static_cast<size_t>(extra));
      if (x == nullptr) return JarVerdict::unreadable;
      if (!apply_zip64_extra(x, static_cast<size_t>(extra), wide_uncompressed, wide_compressed,
                             wide_offset, wide_disk, &entry, &disk)) {
        return JarVerdict::damaged;
      }
    }
    // The entry's local header and data lie before the central directory, on this disk.
    if (disk != 0 || !fits(entry.local_offset, dir.shift, dir.offset)) return JarVerdict::damaged;
    entry.local_offset += dir.shift;
    if (!fits(entry.local_offset, kLocalSize, dir.offset) ||
        !fits(entry.local_offset + kLocalSize, entry.compressed_size, dir.offset)) {
      return JarVerdict::damaged;
    }
    if (listing != nullptr && !add_entry(window, at, entry, listing)) return JarVerdict::unreadable;
    if (count == 0 || entry.local_offset < first->local_offset) *first = entry;
    if (count == 0 || entry.local_offset > last->local_offset) *last = entry;
    at += length;
  }
  // The count recorded is the real one, or the real one above 65,535 wrapped to 16 bits.
  if (count == 0 ||
      (count != dir.entries && (count <= 0xFFFF || (count & 0xFFFF) != dir.entries))) {
    return JarVerdict::damaged;
  }
  // The headers fill the directory exactly, up to an optional digital signature record.
  if (at != end) {
    if (end - at < 6) return JarVerdict::damaged;
    const uint8_t* s = window.get(at, 6);
    if (s == nullptr) return JarVerdict::unreadable;
    if (le32(s) != kDigitalSignature || end - at - 6 != le16(s + 4)) return JarVerdict::damaged;
  }
  return JarVerdict::ok;
}

// The local header of an entry: right signature, and header, name, extra field and data fit
// before the central directory.
JarVerdict check_local(Reader& reader, const Entry& entry, uint64_t directory_offset) {
  uint8_t h[kLocalSize];
  if (!reader.read(entry.local_offset, h, sizeof h)) return JarVerdict::unreadable;
  if (le32(h) != kLocalSignature) return JarVerdict::damaged;
  const uint64_t room = directory_offset - entry.local_offset - kLocalSize;
  const uint64_t name_and_extra = static_cast<uint64_t>(le16(h + 26)) + le16(h + 28);
  if (name_and_extra > room || entry.compressed_size > room - name_and_extra) {
    return JarVerdict::damaged;
  }
  return JarVerdict::ok;
}

// The directory of a whole archive ends where the end records begin (at limit). When it does
// not start at its recorded offset but does start where it would have to end there, the archive
// sits behind bytes its offsets do not count: all of them move by the difference, as Java's zip
// reader assumes.
JarVerdict place_directory(Reader& reader, uint64_t limit, Directory* dir) {
  const uint64_t shift = limit - dir->size - dir->offset;  // the caller checked that it fits
  if (shift == 0 || dir->size < 4) return JarVerdict::ok;
  uint8_t signature[4];
  if (!reader.read(dir->offset + shift, signature, sizeof signature)) return JarVerdict::unreadable;
  if (le32(signature) == kCentralSignature) {
    dir->offset += shift;
    dir->shift = shift;
  }
  return JarVerdict::ok;
}

// Checks the archive described by the end record at end_offset (its bytes at end).
JarVerdict check_from_end(Reader& reader, const uint8_t* end, uint64_t end_offset,
                          JarListing* listing) {
  Directory dir;
  uint64_t limit = 0;
  const JarVerdict records = read_end(reader, end, end_offset, &dir, &limit);
  if (records != JarVerdict::ok) return records;
  if (dir.entries == 0 && !dir.count_may_wrap) return JarVerdict::damaged;
  if (!fits(dir.offset, dir.size, limit)) return JarVerdict::damaged;
  if (dir.entries > dir.size / kCentralSize) return JarVerdict::damaged;
  const JarVerdict place = place_directory(reader, limit, &dir);
  if (place != JarVerdict::ok) return place;

  Entry first;
  Entry last;
  if (listing != nullptr) {
    // Room for every entry at once: under Wine each fresh page of a growing array costs a fault.
    listing->entries.clear();
    listing->entries.reserve(static_cast<size_t>(std::min(dir.entries, dir.size / kCentralSize)));
    listing->records.clear();
    listing->records.reserve(static_cast<size_t>(dir.size));
    listing->directory_offset = dir.offset;
  }
  const JarVerdict walk = read_directory(reader, dir, &first, &last, listing);
  if (walk != JarVerdict::ok) return walk;
  const JarVerdict head = check_local(reader, first, dir.offset);
  if (head != JarVerdict::ok || last.local_offset == first.local_offset) return head;
  return check_local(reader, last, dir.offset);
}

JarVerdict check_structure(Reader& reader, uint64_t file_size, JarListing* listing) {
  if (!reader.read_tail(file_size, std::min(file_size, kTailSize))) return JarVerdict::unreadable;
  const std::vector<uint8_t>& tail = reader.tail();
  const uint64_t tail_offset = reader.tail_offset();

  bool seen = false;
  const std::vector<uint64_t> ends = find_ends(tail, tail_offset, file_size, &seen);
  if (ends.empty()) {
    // A signature whose comment runs past the end: the file was cut short.
    if (seen) return JarVerdict::damaged;
    // Without an end record, a file that begins like an archive is one cut short.
    uint8_t start[4];
    if (file_size < sizeof start) return JarVerdict::not_zip;
    if (!reader.read(0, start, sizeof start)) return JarVerdict::unreadable;
    return le32(start) == kLocalSignature ? JarVerdict::damaged : JarVerdict::not_zip;
  }
  // A signature inside a comment or an entry may look like an end record: the first candidate
  // that describes a whole archive wins.
  JarVerdict result = JarVerdict::damaged;
  for (uint64_t end_offset : ends) {
    result = check_from_end(reader, &tail[end_offset - tail_offset], end_offset, listing);
    if (result != JarVerdict::damaged) break;
  }
  return result;
}

}  // namespace

JarCheck list_jar(JarSource& source, JarListing* listing) {
  Reader reader(source);
  const uint64_t size = source.size();
  JarCheck result = verdict(JarVerdict::not_zip);
  if (size != 0) {
    const JarVerdict v = check_structure(reader, size, listing);
    result = v == JarVerdict::unreadable || reader.failed() ? reader.failure() : verdict(v);
  }
  if (!result.ok() && listing != nullptr) *listing = JarListing();
  return result;
}

JarCheck check_jar(JarSource& source) { return list_jar(source, nullptr); }
