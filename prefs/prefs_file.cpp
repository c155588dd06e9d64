// Groups, lookups, writes, the file text and releasing the entry list.
#include <cstring>
#include <new>

#include "prefs/prefs_file.h"
#include "prefs/prefs_text.h"
#include "runtime/runtime.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The caller's key or group name in the file's encoding: the text itself for an ANSI file, a
// converted heap copy for a UTF-8 file. get() is nullptr when the copy could not be made.
class FileText8 {
 public:
  FileText8(const PreferenceFile& f, const char* text) {
    if (!text) text = "";
    if (f.encoding == kEncodingUtf8) {
      copy_ = heap_copy_for_file(text, true);
      text_ = copy_;
    } else {
      text_ = text;
    }
  }
  ~FileText8() { heap_free(copy_); }
  FileText8(const FileText8&) = delete;
  FileText8& operator=(const FileText8&) = delete;
  const char* get() const { return text_; }

 private:
  char* copy_ = nullptr;
  const char* text_ = nullptr;
};

PreferenceEntry* find_group(PreferenceFile& f, const char* name) {
  bool indexed = false;
  PreferenceEntry* found = index_find_group(f, name, &indexed);
  if (indexed) return found;
  for (PreferenceEntry* e = f.entries; e; e = e->next) {
    if (e->kind == EntryKind::group && ascii_iequal(e->text, name)) return e;
  }
  return nullptr;
}

// First key entry of the group (nullptr = top region) that matches; comments are skipped and
// the next group header ends the search.
PreferenceEntry* find_key(PreferenceFile& f, PreferenceEntry* group, const char* key) {
  bool indexed = false;
  PreferenceEntry* found = index_find_key(f, group, key, &indexed);
  if (indexed) return found;
  for (PreferenceEntry* e = group ? group->next : f.entries; e && e->kind != EntryKind::group;
       e = e->next) {
    if (e->kind == EntryKind::key && ascii_iequal(e->key, key)) return e;
  }
  return nullptr;
}

// Links the entry right after `after`, or at the head when `after` is nullptr.
void link_after(PreferenceFile& f, PreferenceEntry* after, PreferenceEntry* entry) {
  PreferenceEntry* next = after ? after->next : f.entries;
  entry->prev = after;
  entry->next = next;
  if (after) {
    after->next = entry;
  } else {
    f.entries = entry;
  }
  if (next) {
    next->prev = entry;
  } else {
    f.last_entry = entry;
  }
}

// The entry after which a new key of the current group goes: the group's last entry (comments
// included); for the top region the last entry before the first group header, or nullptr (the
// head) when the list is empty or begins with a group header.
PreferenceEntry* group_tail(const PreferenceFile& f) {
  PreferenceEntry* last = f.current_group;
  for (PreferenceEntry* e = last ? last->next : f.entries; e && e->kind != EntryKind::group;
       e = e->next)
    last = e;
  return last;
}

// Appends the pending group's header at the end of the list and selects it.
bool create_pending_group(PreferenceFile& f) {
  PreferenceEntry* header = entry_new(f, EntryKind::group, nullptr, f.pending_group);
  if (!header) return false;
  link_after(f, f.last_entry, header);
  f.pending_group = nullptr;
  f.current_group = header;
  index_add_group(f, header);
  return true;
}

void release_text(const PreferenceFile& f, char* text) {
  if (!text_in_buffer(f, text)) heap_free(text);
}

size_t line_length(const PreferenceEntry* e) {
  if (e->kind == EntryKind::key) return std::strlen(e->key) + std::strlen(e->text) + 5;
  return std::strlen(e->text) + 4;
}

char* put(char* out, const char* text) {
  size_t n = std::strlen(text);
  std::memcpy(out, text, n);
  return out + n;
}

char* put_line(char* out, const PreferenceEntry* e) {
  switch (e->kind) {
    case EntryKind::group:
      *out++ = '[';
      out = put(out, e->text);
      *out++ = ']';
      break;
    case EntryKind::comment:
      out = put(put(out, "; "), e->text);
      break;
    case EntryKind::key:
      out = put(put(put(out, e->key), " = "), e->text);
      break;
  }
  return put(out, "\r\n");
}

// An 8-bit file whose text began with the bytes of the UTF-8 byte-order mark would be read back
// as UTF-8; such a file gets an empty first line.
bool needs_leading_line_end(const PreferenceFile& f) {
  return f.encoding != kEncodingUtf8 && f.entries && f.entries->kind == EntryKind::key &&
         std::strncmp(f.entries->key, "\xEF\xBB\xBF", 3) == 0;
}

// Entries are carved from blocks of this size.
constexpr size_t kBlockBytes = 64 * 1024;
constexpr size_t kBlockHeader = 16;

}  // namespace

struct EntryBlock {
  EntryBlock* next;
  size_t used;  // bytes of the block in use, header included
};
static_assert(sizeof(EntryBlock) <= kBlockHeader, "block header");
static_assert(kBlockHeader % alignof(GroupEntry) == 0, "entries after the header are aligned");

PreferenceEntry* entry_new(PreferenceFile& f, EntryKind kind, char* key, char* text) {
  size_t size = kind == EntryKind::group ? sizeof(GroupEntry) : sizeof(PreferenceEntry);
  // Entries are packed at their own alignment: a file of many short lines holds about as many
  // bytes of entries as of text, and every byte is memory touched for the first time.
  constexpr size_t kAlign = alignof(GroupEntry);
  size = (size + kAlign - 1) & ~(kAlign - 1);
  EntryBlock* block = f.blocks;
  if (!block || block->used + size > kBlockBytes) {
    block = f.spare.blocks;
    if (block) {
      f.spare.blocks = block->next;
    } else {
      block = static_cast<EntryBlock*>(heap_alloc(kBlockBytes));
      if (!block) return nullptr;
    }
    block->next = f.blocks;
    block->used = kBlockHeader;
    f.blocks = block;
  }
  void* memory = reinterpret_cast<char*>(block) + block->used;
  block->used += size;
  PreferenceEntry* e =
      kind == EntryKind::group ? new (memory) GroupEntry{} : new (memory) PreferenceEntry{};
  e->kind = kind;
  e->key = key;
  e->text = text;
  return e;
}

namespace {

void free_blocks(EntryBlock* block) {
  while (block) {
    EntryBlock* next = block->next;
    heap_free(block);
    block = next;
  }
}

// Moves the file's entry blocks to its spare ones, up to kSpareLimit bytes in all; the rest are
// freed.
void keep_blocks(PreferenceFile& f) {
  size_t kept = 0;
  for (EntryBlock* b = f.spare.blocks; b; b = b->next) kept += kBlockBytes;
  while (EntryBlock* block = f.blocks) {
    f.blocks = block->next;
    if (kept + kBlockBytes > kSpareLimit) {
      heap_free(block);
      continue;
    }
    block->next = f.spare.blocks;
    f.spare.blocks = block;
    kept += kBlockBytes;
  }
}

// The larger of the file's buffer and the spare one stays spare (if within kSpareLimit).
void keep_buffer(PreferenceFile& f) {
  SpareMemory& s = f.spare;
  if (f.buffer && f.buffer_size > s.buffer_size && f.buffer_size <= kSpareLimit) {
    heap_free(s.buffer);
    s.buffer = f.buffer;
    s.buffer_size = f.buffer_size;
  } else {
    heap_free(f.buffer);
  }
  f.buffer = nullptr;
}

}  // namespace

void entry_blocks_release(PreferenceFile& f) {
  free_blocks(f.blocks);
  f.blocks = nullptr;
}

char* buffer_take(PreferenceFile& f, size_t size) {
  SpareMemory& s = f.spare;
  if (s.buffer && s.buffer_size >= size) {
    char* buffer = s.buffer;
    f.buffer_size = s.buffer_size;
    s.buffer = nullptr;
    s.buffer_size = 0;
    return buffer;
  }
  auto* buffer = static_cast<char*>(heap_alloc(size));
  if (buffer) f.buffer_size = size;
  return buffer;
}

bool text_in_buffer(const PreferenceFile& f, const char* text) {
  // The two zero bytes after the contents belong to the buffer too: an empty text at the very end
  // of the file points at them.
  auto t = reinterpret_cast<uintptr_t>(text);
  return f.buffer && t >= reinterpret_cast<uintptr_t>(f.buffer) &&
         t <= reinterpret_cast<uintptr_t>(f.buffer_end) + 1;
}

int file_select_group(PreferenceFile& f, const char* name) {
  heap_free(f.pending_group);
  f.pending_group = nullptr;
  f.selection_failed = 0;
  if (!file_is_open(f)) return 0;
  if (!name || !*name) {
    f.current_group = nullptr;
    return 1;
  }
  FileText8 wanted(f, name);
  PreferenceEntry* header = wanted.get() ? find_group(f, wanted.get()) : nullptr;
  if (header) {
    f.current_group = header;
    return 1;
  }
  // Kept for the first write, which creates the group.
  f.pending_group = heap_copy_for_file(name, f.encoding == kEncodingUtf8);
  // Without the name, neither the old group nor the top region may stand in for it.
  if (!f.pending_group) f.selection_failed = 1;
  return 0;
}

const char* file_find_value(PreferenceFile& f, const char* key) {
  if (!file_is_open(f) || f.pending_group || f.selection_failed) return nullptr;
  FileText8 k(f, key);
  if (!k.get()) return nullptr;
  PreferenceEntry* e = find_key(f, f.current_group, k.get());
  return e ? e->text : nullptr;
}

std::string file_read_string(PreferenceFile& f, const char* key, const char* default_value) {
  const char* value = file_find_value(f, key);
  if (!value) return default_value ? default_value : "";
  while (is_blank(*value)) ++value;
  size_t n = std::strlen(value);
  std::string result;
  if (f.encoding == kEncodingUtf8) {
    result.reserve(n);
    utf8_to_latin1(value, n, result);
  } else {
    result.assign(value, n);
  }
  size_t keep = result.size();
  while (keep > 0 && is_blank(result[keep - 1])) --keep;
  result.resize(keep);
  return result;
}

char* file_reserve_value(PreferenceFile& f, const char* key, size_t needed) {
  if (!file_is_open(f) || f.selection_failed || needed >= SIZE_MAX / 2) return nullptr;
  char* copy = heap_copy_for_file(key, f.encoding == kEncodingUtf8);
  if (!copy) return nullptr;
  if (f.pending_group && !create_pending_group(f)) {
    heap_free(copy);
    return nullptr;
  }
  if (PreferenceEntry* e = find_key(f, f.current_group, copy)) {
    if (needed > std::strlen(e->text)) {
      auto* storage = static_cast<char*>(heap_alloc(needed + 1));
      if (!storage) {
        heap_free(copy);
        return nullptr;
      }
      release_text(f, e->text);
      e->text = storage;
    }
    // The line takes the letter case of the latest write (equal keys have equal lengths).
    std::memcpy(e->key, copy, std::strlen(copy));
    heap_free(copy);
    f.modified = 1;
    return e->text;
  }
  auto* storage = static_cast<char*>(heap_alloc(needed + 1));
  PreferenceEntry* e = storage ? entry_new(f, EntryKind::key, copy, storage) : nullptr;
  if (!e) {
    heap_free(storage);
    heap_free(copy);
    return nullptr;
  }
  link_after(f, group_tail(f), e);
  index_add_key(f, f.current_group, e);
  f.modified = 1;
  return storage;
}

void file_write_string(PreferenceFile& f, const char* key, const char* value) {
  if (!value) value = "";
  size_t n = std::strlen(value);
  if (f.encoding == kEncodingUtf8) {
    if (char* storage = file_reserve_value(f, key, utf8_length_of_latin1(value, n)))
      latin1_to_utf8(value, n, storage);
  } else {
    if (char* storage = file_reserve_value(f, key, n)) std::memcpy(storage, value, n + 1);
  }
}

FileText file_build_text(const PreferenceFile& f) {
  bool utf8 = f.encoding == kEncodingUtf8;
  bool lead = needs_leading_line_end(f);
  size_t length = (utf8 ? 5 : 0) + (lead ? 2 : 0);
  for (const PreferenceEntry* e = f.entries; e; e = e->next) length += line_length(e);
  auto* text = static_cast<char*>(heap_alloc(length + 1));
  if (!text) return FileText{nullptr, 0};
  char* out = text;
  if (utf8) out = put(out, "\xEF\xBB\xBF\r\n");
  if (lead) out = put(out, "\r\n");
  for (const PreferenceEntry* e = f.entries; e; e = e->next) out = put_line(out, e);
  return FileText{text, static_cast<size_t>(out - text)};
}

void file_release_keep_memory(PreferenceFile& f) {
  index_release(f);
  for (PreferenceEntry* e = f.entries; e; e = e->next) {
    if (e->kind == EntryKind::key) release_text(f, e->key);
    release_text(f, e->text);
  }
  keep_blocks(f);
  keep_buffer(f);
  heap_free(f.pending_group);
  heap_free(f.file_name);
  SpareMemory spare = f.spare;
  std::memset(&f, 0, sizeof f);
  f.spare = spare;
}

void file_release(PreferenceFile& f) {
  file_release_keep_memory(f);
  free_blocks(f.spare.blocks);
  heap_free(f.spare.buffer);
  std::memset(&f, 0, sizeof f);
}
