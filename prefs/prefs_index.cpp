// Hash tables over the entry list: open addressing with linear probing, at most half full. The
// group table covers every group header; each group's key table covers the keys from its header
// to the next one. Tables are built on their first lookup, so opening a file only parses it and a
// lookup in one group never pays for the others.
#include "prefs/prefs_file.h"
#include "prefs/prefs_text.h"
#include "runtime/runtime.h"

namespace {

constexpr uint32_t kMinCapacity = 16;
constexpr uint32_t kMaxCapacity = uint32_t{1} << 30;

uint32_t hash_of(const char* name) {
  uint32_t h = ascii_ihash(name);  // final mix of MurmurHash3
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

const char* name_of(const PreferenceEntry* e) {
  return e->kind == EntryKind::key ? e->key : e->text;
}

// The slot holding the name, or the empty slot where it would go.
IndexSlot* probe(const EntryIndex& ix, uint32_t hash, const char* name) {
  uint32_t mask = ix.capacity - 1;
  for (uint32_t i = hash & mask;; i = (i + 1) & mask) {
    IndexSlot* s = &ix.slots[i];
    if (!s->entry) return s;
    if (s->hash == hash && ascii_iequal(name_of(s->entry), name)) return s;
  }
}

void drop(EntryIndex& ix, uint32_t state) {
  heap_free(ix.slots);
  ix = EntryIndex{nullptr, 0, 0, state};
}

// Replaces the slots by an empty table of `capacity` slots holding the old contents.
bool resize(EntryIndex& ix, uint32_t capacity) {
  auto* slots = static_cast<IndexSlot*>(heap_alloc(sizeof(IndexSlot) * capacity));
  if (!slots) return false;
  uint32_t mask = capacity - 1;
  for (uint32_t i = 0; i < ix.capacity; ++i) {
    const IndexSlot& s = ix.slots[i];
    if (!s.entry) continue;
    uint32_t j = s.hash & mask;
    while (slots[j].entry) j = (j + 1) & mask;
    slots[j] = s;
  }
  heap_free(ix.slots);
  ix.slots = slots;
  ix.capacity = capacity;
  return true;
}

// Adds the entry unless its name is there already (the first entry of a name wins). On failure
// to grow, the table becomes unavailable.
void insert(EntryIndex& ix, PreferenceEntry* entry) {
  if ((ix.count + 1) * 2 > ix.capacity) {
    uint64_t capacity = ix.capacity ? uint64_t{ix.capacity} * 2 : kMinCapacity;
    if (capacity > kMaxCapacity || !resize(ix, static_cast<uint32_t>(capacity))) {
      drop(ix, kIndexUnavailable);
      return;
    }
  }
  const char* name = name_of(entry);
  uint32_t hash = hash_of(name);
  IndexSlot* s = probe(ix, hash, name);
  if (!s->entry) {
    *s = IndexSlot{entry, hash};
    ++ix.count;
  }
}

// Builds the table from the entries of `kind` in [first, the next group header or the end).
// Group headers: the whole list.
void build(EntryIndex& ix, PreferenceEntry* first, EntryKind kind) {
  bool stop_at_group = kind == EntryKind::key;
  size_t count = 0;
  for (PreferenceEntry* e = first; e && !(stop_at_group && e->kind == EntryKind::group);
       e = e->next) {
    if (e->kind == kind) ++count;
  }
  uint64_t capacity = kMinCapacity;
  while (capacity < uint64_t{count} * 2 + 2) capacity *= 2;
  if (capacity > kMaxCapacity || !resize(ix, static_cast<uint32_t>(capacity))) {
    drop(ix, kIndexUnavailable);
    return;
  }
  ix.state = kIndexBuilt;
  for (PreferenceEntry* e = first;
       e && ix.state == kIndexBuilt && !(stop_at_group && e->kind == EntryKind::group);
       e = e->next) {
    if (e->kind == kind) insert(ix, e);
  }
}

EntryIndex& keys_of(PreferenceFile& f, PreferenceEntry* group) {
  return group ? static_cast<GroupEntry*>(group)->keys : f.top_keys;
}

}  // namespace

void index_add_group(PreferenceFile& f, PreferenceEntry* header) {
  if (f.group_index.state == kIndexBuilt) insert(f.group_index, header);
}

void index_add_key(PreferenceFile& f, PreferenceEntry* group, PreferenceEntry* entry) {
  EntryIndex& ix = keys_of(f, group);
  if (ix.state == kIndexBuilt) insert(ix, entry);
}

PreferenceEntry* index_find_group(PreferenceFile& f, const char* name, bool* indexed) {
  EntryIndex& ix = f.group_index;
  if (ix.state == kIndexNotBuilt && !f.walk_only) build(ix, f.entries, EntryKind::group);
  *indexed = ix.state == kIndexBuilt;
  return *indexed ? probe(ix, hash_of(name), name)->entry : nullptr;
}

PreferenceEntry* index_find_key(PreferenceFile& f, PreferenceEntry* group, const char* key,
                                bool* indexed) {
  EntryIndex& ix = keys_of(f, group);
  if (ix.state == kIndexNotBuilt && !f.walk_only)
    build(ix, group ? group->next : f.entries, EntryKind::key);
  *indexed = ix.state == kIndexBuilt;
  return *indexed ? probe(ix, hash_of(key), key)->entry : nullptr;
}

void index_release(PreferenceFile& f) {
  for (PreferenceEntry* e = f.entries; e; e = e->next) {
    if (e->kind == EntryKind::group) drop(static_cast<GroupEntry*>(e)->keys, kIndexNotBuilt);
  }
  drop(f.group_index, kIndexNotBuilt);
  drop(f.top_keys, kIndexNotBuilt);
}
