// The in-memory preference file: the entry list parsed from the file buffer, lookups, writes and
// the file text written back. Platform-free; the Win32 layer (prefs_win.cpp) only moves bytes
// between the disk and these functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class EntryKind : uint32_t { key = 0, group = 1, comment = 2 };

// One line of the file. Blank lines have no entry. Entries live in the file's entry blocks and
// are released all at once at close; the texts they own are released one by one.
struct PreferenceEntry {
  PreferenceEntry* next;
  PreferenceEntry* prev;
  EntryKind kind;
  char* key;   // key entries only
  char* text;  // group name, comment text or value
};

// Hash tables over the entry list, so that lookups in a large file do not walk it: one for the
// group headers of the file, and one per group for its keys. Letter case of A-Z is ignored; the
// first entry of a name wins. Each table is built on its first lookup and kept up to date by
// writes; when memory for one runs out, lookups walk the list instead.
struct IndexSlot {
  PreferenceEntry* entry;  // nullptr = empty
  uint32_t hash;
};
enum IndexState : uint32_t { kIndexNotBuilt = 0, kIndexBuilt = 1, kIndexUnavailable = 2 };
struct EntryIndex {
  IndexSlot* slots;
  uint32_t capacity;  // power of two, or 0
  uint32_t count;
  uint32_t state;  // IndexState
};

// A group header carries the table of its keys.
struct GroupEntry : PreferenceEntry {
  EntryIndex keys;
};

struct EntryBlock;

// What a released file leaves for the next load on the same record: its buffer and its entry
// blocks. Reopening a large file then writes into pages that are already there instead of
// touching fresh memory, which costs far more than the parse itself.
struct SpareMemory {
  char* buffer;
  size_t buffer_size;  // bytes of the buffer block
  EntryBlock* blocks;
};

constexpr uint32_t kEncodingAnsi = 0;
constexpr uint32_t kEncodingUtf8 = 65001;

// Per-thread state; all zero = no file open. Lives in the per-thread state area, so it must stay
// valid when zero-filled and is never constructed.
struct PreferenceFile {
  uintptr_t handle;    // open file handle; 0 = none
  char* file_name;     // full path the file is written back to; nullptr = none
  uint32_t modified;   // set by every write; only a modified file is written back
  uint32_t read_only;  // changes are dropped at close
  char* buffer;        // file contents (no byte-order mark) plus two zero bytes
  char* buffer_end;    // the first of the two zero bytes
  size_t buffer_size;  // bytes of the buffer block (at least contents + 2)
  uint32_t encoding;   // kEncodingAnsi or kEncodingUtf8
  PreferenceEntry* entries;
  PreferenceEntry* current_group;  // nullptr = the top region
  char* pending_group;             // a selected group that does not exist yet
  uint32_t selection_failed;       // the last selection ran out of memory: no group is usable
  PreferenceEntry* last_entry;     // tail of the list
  EntryBlock* blocks;              // memory of the entries
  EntryIndex group_index;          // group headers
  EntryIndex top_keys;             // keys of the top region
  uint32_t walk_only;              // tables disabled: every lookup walks the list
  SpareMemory spare;               // kept by file_release_keep_memory
};

// A file is open (or name-only: it did not exist at open) when it has a handle or a name.
inline bool file_is_open(const PreferenceFile& f) {
  return f.handle != 0 || f.file_name != nullptr;
}

// Where the contents come from: read() fills out with up to size bytes from the current
// position and returns how many it got (fewer only at an error or the end of the file);
// rewind() goes back to the start of the file.
struct FileReader {
  size_t (*read)(void* context, char* out, size_t size);
  bool (*rewind)(void* context);
  void* context;
};
// Reads `size` bytes of contents (the length the file system reports) after an optional
// byte-order mark and parses them. Contents that cannot be held or read whole (4 GiB or more,
// no memory, a short read) leave the file read-only, so that a close never writes a partial
// list over the file; the part that was read stays readable.
void file_load(PreferenceFile& f, uint64_t size, const FileReader& reader);
// file_load from memory. False when memory runs out (the file is then read-only, with no
// entries or with those parsed before memory ran out).
bool file_load_text(PreferenceFile& f, const char* data, size_t size);

int file_select_group(PreferenceFile& f, const char* name);
const char* file_find_value(PreferenceFile& f, const char* key);
std::string file_read_string(PreferenceFile& f, const char* key, const char* default_value);
char* file_reserve_value(PreferenceFile& f, const char* key, size_t needed);
void file_write_string(PreferenceFile& f, const char* key, const char* value);

// The whole file text as written back; data is nullptr when memory runs out (size is then 0).
struct FileText {
  char* data;  // main heap; release with heap_free
  size_t size;
};
FileText file_build_text(const PreferenceFile& f);

// Releases every entry with the texts it owns, the buffer, the index, the names and the spare
// memory, and zeroes the record. The handle is the caller's to close first.
void file_release(PreferenceFile& f);
// Like file_release, but the buffer and the entry blocks (up to kSpareLimit bytes of each) stay
// with the record as its spare memory for the next file_load; file_release frees them.
void file_release_keep_memory(PreferenceFile& f);
constexpr size_t kSpareLimit = size_t{64} << 20;
// A block for the file's contents of at least `size` bytes: the spare buffer when it is large
// enough, else a new one (nullptr when out of memory). Its bytes are not zeroed.
char* buffer_take(PreferenceFile& f, size_t size);

// Entry list and index internals shared by the portable files.
bool text_in_buffer(const PreferenceFile& f, const char* text);
// A zero-filled entry from the file's blocks (spare blocks first) (a GroupEntry for group headers),
// not yet linked; nullptr when out of memory.
PreferenceEntry* entry_new(PreferenceFile& f, EntryKind kind, char* key, char* text);
void entry_blocks_release(PreferenceFile& f);

// Entries added by writes; ignored by tables that are not built yet.
void index_add_group(PreferenceFile& f, PreferenceEntry* header);
void index_add_key(PreferenceFile& f, PreferenceEntry* group, PreferenceEntry* entry);
// Nullptr when not found. `indexed` is false when no table is available (the caller walks).
PreferenceEntry* index_find_group(PreferenceFile& f, const char* name, bool* indexed);
PreferenceEntry* index_find_key(PreferenceFile& f, PreferenceEntry* group, const char* key,
                                bool* indexed);
// Releases every table (file_release calls it).
void index_release(PreferenceFile& f);
