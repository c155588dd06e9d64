// The jar merge. Sources are listed by the jar check's reader; every offset and length read from
// them is untrusted and compared as "does it fit in what is left", as the check does.
#include "app/jar_merge.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kDescriptorSignature = 0x08074b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint64_t kLocalSize = 30;
constexpr uint64_t kCentralSize = 46;
constexpr uint32_t kAllOnes32 = 0xFFFFFFFFu;
constexpr uint16_t kZip64ExtraId = 0x0001;

// Sources are read in pieces of this size: few calls for a jar of many small entries.
constexpr size_t kPiece = 1 << 20;
// Bytes that are not copied straight from a window (central headers, changed local headers) are
// gathered up to this size before they are written.
constexpr size_t kGather = 256 * 1024;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(le16(p)) | (static_cast<uint32_t>(le16(p + 2)) << 16);
}
uint64_t le64(const uint8_t* p) {
  return static_cast<uint64_t>(le32(p)) | (static_cast<uint64_t>(le32(p + 4)) << 32);
}
void put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
  put16(p, v & 0xFFFF);
  put16(p + 2, v >> 16);
}
void append16(std::string& out, uint32_t v) {
  uint8_t b[2];
  put16(b, v);
  out.append(reinterpret_cast<const char*>(b), 2);
}
void append32(std::string& out, uint32_t v) {
  append16(out, v & 0xFFFF);
  append16(out, v >> 16);
}
void append64(std::string& out, uint64_t v) {
  append32(out, static_cast<uint32_t>(v));
  append32(out, static_cast<uint32_t>(v >> 32));
}

bool fits(uint64_t a, uint64_t b, uint64_t limit) { return a <= limit && b <= limit - a; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool starts_with_folded(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (lower(s[i]) != lower(prefix[i])) return false;
  }
  return true;
}

bool ends_with_folded(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() &&
         starts_with_folded(s.substr(s.size() - suffix.size()), suffix);
}

// Java treats "META-INF/" without regard to case; so do these.
bool under_meta_inf(std::string_view name) { return starts_with_folded(name, "META-INF/"); }

// A jar signature file: directly in META-INF, named *.SF, *.DSA, *.RSA or *.EC.
bool is_signature_file(std::string_view name) {
  if (!under_meta_inf(name) || name.find('/', 9) != std::string_view::npos) return false;
  for (const char* suffix : {".SF", ".DSA", ".RSA", ".EC"}) {
    if (ends_with_folded(name, suffix)) return true;
  }
  return false;
}

// The top folder (with its slash) that every entry of the mod lies under when its name says it
// holds a client jar's contents ("minecraft" and "jar", any case); "" otherwise.
std::string client_jar_folder(const JarListing& listing) {
  if (listing.entries.empty()) return "";
  const std::string first(listing.entries.front().name);
  const size_t slash = first.find('/');
  if (slash == std::string::npos || slash == 0) return "";
  const std::string folder = first.substr(0, slash + 1);
  std::string folded = folder;
  std::transform(folded.begin(), folded.end(), folded.begin(), lower);
  if (folded.find("minecraft") == std::string::npos || folded.find("jar") == std::string::npos) {
    return "";
  }
  for (const JarEntry& entry : listing.entries) {
    if (entry.name.compare(0, folder.size(), folder) != 0) return "";
  }
  return folder;
}

// Collects the output and counts where it is. Bytes still in a reader's window are not copied:
// consecutive ones are written from there in one call (most of a jar is copied this way), so
// that a reader must hand it flush() before it reads anew. Other bytes are gathered in pieces.
class PieceWriter {
 public:
  explicit PieceWriter(JarSink& sink) : sink_(sink) { bytes_.reserve(kGather); }
  // Copies the bytes; large pieces are written at once.
  bool put(const void* data, size_t length) {
    if (!flush_span()) return false;
    if (bytes_.size() + length > kGather && !flush()) return false;
    if (length >= kGather) {
      failed_ = !sink_.write(data, length, &error_);
    } else {
      const uint8_t* p = static_cast<const uint8_t*>(data);
      bytes_.insert(bytes_.end(), p, p + length);
    }
    written_ += length;
    return !failed_;
  }
  bool put(const std::string& s) { return put(s.data(), s.size()); }
  // Takes bytes that stay where they are until the next flush().
  bool put_view(const uint8_t* data, size_t length) {
    if (span_ == nullptr || data != span_ + span_length_) {
      if (!flush()) return false;
      span_ = data;
    }
    span_length_ += length;
    written_ += length;
    return true;
  }
  bool flush() {
    if (!flush_span()) return false;
    if (!bytes_.empty()) failed_ = !sink_.write(bytes_.data(), bytes_.size(), &error_);
    bytes_.clear();
    return !failed_;
  }
  uint64_t written() const { return written_; }
  bool good() const { return !failed_; }
  uint32_t error() const { return error_; }

 private:
  bool flush_span() {
    if (!failed_ && span_length_ > 0) failed_ = !sink_.write(span_, span_length_, &error_);
    span_ = nullptr;
    span_length_ = 0;
    return !failed_;
  }

  JarSink& sink_;
  std::vector<uint8_t> bytes_;
  const uint8_t* span_ = nullptr;
  size_t span_length_ = 0;
  uint64_t written_ = 0;
  bool failed_ = false;
  uint32_t error_ = 0;
};

// Reads a source forward in pieces of kPiece, so that many small entries cost few reads.
class PieceReader {
 public:
  explicit PieceReader(PieceWriter& writer) : writer_(writer) {}
  // Reads from now on from source. One reader and one window serve every source in turn: under
  // Wine each fresh page of memory costs a fault, which adds up for windows of 1 MiB.
  void use(JarSource& source) {
    if (source_ == &source) return;
    source_ = &source;
    size_ = 0;
  }
  // The bytes [at, at + length), length <= kPiece; null when the read fails (see error()). The
  // caller has checked that they lie inside the file.
  const uint8_t* view(uint64_t at, size_t length) {
    if (!holds(at, length) && !refill(at, length)) return nullptr;
    return bytes_.get() + (at - start_);
  }
  // Up to `length` bytes from at, as many as the window holds (at least one); *got is how many.
  const uint8_t* view_some(uint64_t at, uint64_t length, size_t* got) {
    if (!holds(at, 1) && !refill(at, 1)) return nullptr;
    *got = static_cast<size_t>(std::min<uint64_t>(length, size_ - (at - start_)));
    return bytes_.get() + (at - start_);
  }
  uint32_t error() const { return error_; }

 private:
  bool holds(uint64_t at, size_t length) const {
    return at >= start_ && at - start_ <= size_ && length <= size_ - (at - start_);
  }
  bool refill(uint64_t at, size_t length) {
    if (!writer_.flush()) return false;  // it may still point into the window
    const size_t n = static_cast<size_t>(std::min<uint64_t>(source_->size() - at, kPiece));
    if (!bytes_) bytes_.reset(new uint8_t[kPiece]);  // not cleared: pages are touched as read
    start_ = at;
    size_ = 0;
    if (length > n) {
      error_ = 0;
      return false;
    }
    if (!source_->read(at, bytes_.get(), n, &error_)) return false;
    size_ = n;
    return true;
  }

  JarSource* source_ = nullptr;
  PieceWriter& writer_;
  std::unique_ptr<uint8_t[]> bytes_;
  uint64_t start_ = 0;
  size_t size_ = 0;
  uint32_t error_ = 0;
};

// One entry of the result: which source and entry it comes from, and its name there.
struct Pick {
  size_t source;
  size_t entry;
  std::string_view name;  // into the source's listing, which outlives the merge
  bool replaced = false;  // a later source has an entry of the same name
};

struct Source {
  JarSource* jar;
  JarListing listing;
  std::string strip;  // the top folder taken off its names
};

// What went wrong while copying an entry.
struct Fault {
  bool source_failed = false;  // else the sink failed
  JarCheck check;
};

uint64_t name_hash(std::string_view name) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (const char c : name) h = (h ^ static_cast<uint8_t>(c)) * 1099511628211ull;
  return h;
}

// Chooses the entries of the result in order and counts the file names more than one mod has.
// Names are views of the listings' names, found again through one open-addressing table: no
// copies of them and no node per name (each fresh page costs a fault under Wine).
std::vector<Pick> plan(const std::vector<Source>& sources, size_t* shared_names) {
  size_t total = 0;
  for (const Source& source : sources) total += source.listing.entries.size();
  std::vector<Pick> picks;
  picks.reserve(total);
  size_t slots = 16;
  while (slots < 2 * total) slots *= 2;
  // 8 bytes a slot: far fewer entries than 2^32 fit in memory, and far fewer mods than 2^31.
  struct Slot {
    uint32_t pick = 0;       // the latest pick of the name + 1; 0 while the slot is free
    uint32_t last_mod : 31;  // the latest mod holding the name (0: none yet)
    uint32_t shared : 1;     // counted as a file more than one mod has
    Slot() : last_mod(0), shared(0) {}
  };
  std::vector<Slot> table(slots);
  *shared_names = 0;
  for (size_t s = 0; s < sources.size(); ++s) {
    const Source& source = sources[s];
    for (size_t e = 0; e < source.listing.entries.size(); ++e) {
      const std::string_view name =
          std::string_view(source.listing.entries[e].name).substr(source.strip.size());
      if (name.empty()) continue;  // the stripped top folder itself
      if (s == 0 ? under_meta_inf(name) : is_signature_file(name)) continue;
      size_t at = name_hash(name) & (slots - 1);
      while (table[at].pick != 0 && picks[table[at].pick - 1].name != name) {
        at = (at + 1) & (slots - 1);
      }
      Slot& slot = table[at];
      if (slot.pick != 0) picks[slot.pick - 1].replaced = true;
      // Folders are no files: many mods have "net/", and nothing is lost.
      if (s > 0 && slot.last_mod != 0 && slot.last_mod != s && !slot.shared && name.back() != '/') {
        slot.shared = 1;
        ++*shared_names;
      }
      if (s > 0) slot.last_mod = static_cast<uint32_t>(s);
      picks.push_back(Pick{s, e, name});
      slot.pick = static_cast<uint32_t>(picks.size());
    }
  }
  return picks;
}

// The central header's extra field for the result: the source's fields without its zip64
// field, behind a new zip64 field holding, in order, the uncompressed size, compressed size and
// local header offset of those whose header field is all ones. A malformed tail is kept last.
std::string central_extra(std::string_view extra, bool wide_uncompressed, bool wide_compressed,
                          bool wide_offset, const JarEntry& entry, uint64_t offset) {
  std::string out;
  if (wide_uncompressed || wide_compressed || wide_offset) {
    append16(out, kZip64ExtraId);
    append16(out, 8 * (wide_uncompressed + wide_compressed + wide_offset));
    if (wide_uncompressed) append64(out, entry.uncompressed_size);
    if (wide_compressed) append64(out, entry.compressed_size);
    if (wide_offset) append64(out, offset);
  }
  const uint8_t* x = reinterpret_cast<const uint8_t*>(extra.data());
  size_t at = 0;
  while (extra.size() - at >= 4) {
    const size_t size = le16(x + at + 2);
    if (size > extra.size() - at - 4) break;
    if (le16(x + at) != kZip64ExtraId) out.append(extra, at, 4 + size);
    at += 4 + size;
  }
  out.append(extra, at, std::string::npos);
  return out;
}

// Whether the local extra field holds a zip64 field (then a data descriptor has 64-bit sizes).
bool has_zip64_field(const uint8_t* x, size_t size) {
  for (size_t at = 0; size - at >= 4;) {
    if (le16(x + at) == kZip64ExtraId) return true;
    at += 4 + le16(x + at + 2);
    if (at > size) break;
  }
  return false;
}

// The data descriptor behind an entry's data: the length of the one stored there when one of
// its four forms (with or without signature, 32- or 64-bit sizes) agrees with the central
// header; else 0 and *fresh is one written from the central header's values.
size_t stored_descriptor(PieceReader& reader, const JarEntry& entry, uint64_t at, uint64_t limit,
                         bool wide, std::string* fresh, bool* failed) {
  const uint32_t crc = le32(entry.header + 16);
  const uint64_t c = entry.compressed_size;
  const uint64_t u = entry.uncompressed_size;
  const size_t room = static_cast<size_t>(std::min<uint64_t>(limit - at, 24));
  const uint8_t* d = room == 0 ? nullptr : reader.view(at, room);
  if (room != 0 && d == nullptr) {
    *failed = true;
    return 0;
  }
  const auto matches = [&](size_t head, bool sizes64) {
    const size_t length = head + 4 + (sizes64 ? 16 : 8);
    if (length > room || (head != 0 && le32(d) != kDescriptorSignature)) return false;
    const uint8_t* p = d + head;
    if (le32(p) != crc) return false;
    return sizes64
               ? le64(p + 4) == c && le64(p + 12) == u
               : le32(p + 4) == static_cast<uint32_t>(c) && le32(p + 8) == static_cast<uint32_t>(u);
  };
  for (const bool sizes64 : {wide, !wide}) {
    for (const size_t head : {size_t{4}, size_t{0}}) {
      if (matches(head, sizes64)) return head + 4 + (sizes64 ? 16 : 8);
    }
  }
  append32(*fresh, kDescriptorSignature);
  append32(*fresh, crc);
  if (wide || c >= kAllOnes32 || u >= kAllOnes32) {
    append64(*fresh, c);
    append64(*fresh, u);
  } else {
    append32(*fresh, static_cast<uint32_t>(c));
    append32(*fresh, static_cast<uint32_t>(u));
  }
  return 0;
}

class Merger {
 public:
  Merger(std::vector<Source>& sources, JarSink& sink) : sources_(sources), out_(sink) {}

  JarMerge run(const std::vector<Pick>& picks) {
    JarMerge result;
    offsets_.reserve(picks.size());
    PieceReader reader(out_);
    for (const Pick& pick : picks) {
      if (pick.replaced) continue;
      reader.use(*sources_[pick.source].jar);
      Fault fault;
      if (!copy(pick, reader, &fault)) return failure(fault, pick.source);
      ++result.entries;
    }
    // The central directory goes out header by header, so it is never held whole.
    const uint64_t start = out_.written();
    size_t at = 0;
    for (const Pick& pick : picks) {
      if (pick.replaced) continue;
      const JarEntry& entry = sources_[pick.source].listing.entries[pick.entry];
      if (!add_central(entry, pick.name, offsets_[at++])) {
        if (!out_.good()) return failure(Fault(), 0);
        Fault fault;
        source_fault(&fault, JarVerdict::damaged);
        return failure(fault, pick.source);
      }
    }
    if (!finish(start)) return failure(Fault(), 0);
    result.size = out_.written();
    return result;
  }

 private:
  JarMerge failure(const Fault& fault, size_t source) {
    JarMerge result;
    if (fault.source_failed) {
      result.outcome = MergeOutcome::bad_source;
      result.source = source;
      result.check = fault.check;
    } else {
      result.outcome = MergeOutcome::write_failed;
      result.system_error = out_.error();
    }
    return result;
  }

  static bool source_fault(Fault* fault, JarVerdict verdict, uint32_t error = 0) {
    fault->source_failed = true;
    fault->check.verdict = verdict;
    fault->check.system_error = error;
    return false;
  }

  // Copies one entry as stored, from its local header to its data descriptor (the local header
  // with the new name when a top folder was taken off); adds its central header.
  bool copy(const Pick& pick, PieceReader& reader, Fault* fault) {
    const Source& source = sources_[pick.source];
    const JarEntry& entry = source.listing.entries[pick.entry];
    const uint64_t limit = source.listing.directory_offset;
    const auto unreadable = [&] {
      if (!out_.good()) return false;  // the sink failed while the reader made room
      return source_fault(fault, reader.error() != 0 ? JarVerdict::unreadable : JarVerdict::damaged,
                          reader.error());
    };
    if (!fits(entry.local_offset, kLocalSize, limit))
      return source_fault(fault, JarVerdict::damaged);
    const uint8_t* h = reader.view(entry.local_offset, kLocalSize);
    if (h == nullptr) return unreadable();
    uint8_t local[kLocalSize];
    std::memcpy(local, h, kLocalSize);
    const uint64_t name_size = le16(local + 26);
    const uint64_t extra_size = le16(local + 28);
    const uint64_t extra_at = entry.local_offset + kLocalSize + name_size;
    if (le32(local) != kLocalSignature ||
        !fits(extra_at - name_size, name_size + extra_size, limit) ||
        !fits(extra_at + extra_size, entry.compressed_size, limit)) {
      return source_fault(fault, JarVerdict::damaged);
    }
    const uint64_t data_end = extra_at + extra_size + entry.compressed_size;
    uint64_t end = data_end;
    std::string fresh;  // a data descriptor written anew
    if (le16(local + 6) & 0x0008) {
      const uint8_t* x = reader.view(extra_at, static_cast<size_t>(extra_size));
      if (x == nullptr) return unreadable();
      const bool wide = has_zip64_field(x, static_cast<size_t>(extra_size));
      bool failed = false;
      end += stored_descriptor(reader, entry, data_end, limit, wide, &fresh, &failed);
      if (failed) return unreadable();
    }

    const uint64_t offset = out_.written();
    uint64_t at = entry.local_offset;
    if (!source.strip.empty()) {
      put16(local + 26, static_cast<uint32_t>(pick.name.size()));
      out_.put(local, sizeof local);
      out_.put(pick.name.data(), pick.name.size());
      at = extra_at;
    }
    while (at < end) {
      size_t got = 0;
      const uint8_t* bytes = reader.view_some(at, end - at, &got);
      if (bytes == nullptr) return unreadable();
      if (!out_.put_view(bytes, got)) return false;
      at += got;
    }
    if (!fresh.empty()) out_.put(fresh);
    offsets_.push_back(offset);
    return out_.good();
  }

  // The entry's central header for the result: the source's, with the new name, offset and
  // extra field. False when the extra field no longer fits in 16 bits.
  bool add_central(const JarEntry& entry, std::string_view name, uint64_t offset) {
    uint8_t h[kCentralSize];
    std::memcpy(h, entry.header, sizeof h);
    const bool wide_uncompressed = le32(h + 24) == kAllOnes32;
    const bool wide_compressed = le32(h + 20) == kAllOnes32;
    const bool wide_offset = offset >= kAllOnes32;
    const std::string extra =
        central_extra(entry.extra, wide_uncompressed, wide_compressed, wide_offset, entry, offset);
    if (extra.size() > 0xFFFF) return false;
    if (wide_offset && le16(h + 6) < 45) put16(h + 6, 45);  // version needed: zip64
    put16(h + 28, static_cast<uint32_t>(name.size()));
    put16(h + 30, static_cast<uint32_t>(extra.size()));
    put16(h + 34, 0);  // disk number
    put32(h + 42, wide_offset ? kAllOnes32 : static_cast<uint32_t>(offset));
    record_.assign(reinterpret_cast<const char*>(h), sizeof h);
    record_ += name;
    record_ += extra;
    record_ += entry.comment;
    directory_size_ += record_.size();
    ++count_;
    return out_.put(record_);
  }

  // The central directory and the end records, in zip64 form when a count, size or offset needs
  // it, or when the directory's last bytes would read as a zip64 locator.
  bool finish(uint64_t start) {
    const uint64_t size = directory_size_;
    // Every header is longer than 20 bytes: the last one holds the directory's last 20.
    const bool locator_lookalike = le32(reinterpret_cast<const uint8_t*>(record_.data()) +
                                        record_.size() - 20) == kZip64LocatorSignature;
    const bool zip64 =
        count_ >= 0xFFFF || size >= kAllOnes32 || start >= kAllOnes32 || locator_lookalike;
    std::string end;
    if (zip64) {
      const uint64_t record = start + size;
      append32(end, 0x06064b50);
      append64(end, 44);
      append16(end, 45);
      append16(end, 45);
      append32(end, 0);
      append32(end, 0);
      append64(end, count_);
      append64(end, count_);
      append64(end, size);
      append64(end, start);
      append32(end, kZip64LocatorSignature);
      append32(end, 0);
      append64(end, record);
      append32(end, 1);
    }
    append32(end, 0x06054b50);
    append32(end, 0);  // this disk, the directory's disk
    const uint32_t count16 = count_ >= 0xFFFF ? 0xFFFF : static_cast<uint32_t>(count_);
    append16(end, count16);
    append16(end, count16);
    append32(end, size >= kAllOnes32 ? kAllOnes32 : static_cast<uint32_t>(size));
    append32(end, start >= kAllOnes32 ? kAllOnes32 : static_cast<uint32_t>(start));
    append16(end, 0);  // no comment
    return out_.put(end) && out_.flush();
  }

  std::vector<Source>& sources_;
  PieceWriter out_;
  std::vector<uint64_t> offsets_;  // of each entry written, in the output
  std::string record_;             // the central header written last
  uint64_t directory_size_ = 0;
  uint64_t count_ = 0;
};

}  // namespace

JarMerge merge_jars(JarSource& base, const std::vector<JarSource*>& mods, JarSink& sink) {
  std::vector<Source> sources;
  sources.push_back(Source{&base, {}, ""});
  for (JarSource* mod : mods) sources.push_back(Source{mod, {}, ""});
  for (size_t s = 0; s < sources.size(); ++s) {
    const JarCheck check = list_jar(*sources[s].jar, &sources[s].listing);
    if (!check.ok()) {
      JarMerge result;
      result.outcome = MergeOutcome::bad_source;
      result.source = s;
      result.check = check;
      return result;
    }
    if (s > 0) sources[s].strip = client_jar_folder(sources[s].listing);
  }
  size_t shared = 0;
  const std::vector<Pick> picks = plan(sources, &shared);
  JarMerge result;
  if (picks.empty()) {
    result.outcome = MergeOutcome::nothing_left;
  } else {
    result = Merger(sources, sink).run(picks);
  }
  result.shared_names = shared;
  return result;
}
