// Hash index over the entry list, so that selecting a group and looking a key up do not walk a
// large file from its head. Open addressing with linear probing, at most half full. The index
// is complete or absent: when memory for it runs out it is dropped and lookups walk the list.
#include <cstring>

#include "prefs/prefs_file.h"
#include "prefs/prefs_text.h"
#include "runtime/runtime.h"

namespace {

constexpr uint32_t kMinCapacity = 16;

uint32_t finish(uint32_t h) {  // final mix of MurmurHash3
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

uint32_t group_hash(const char* name) { return finish(ascii_ihash(name)); }

uint32_t key_hash(const PreferenceEntry* group, const char* key) {
  auto g = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(group));
  return finish(ascii_ihash(key) ^ static_cast<uint32_t>(g >> 4) * 0x9E3779B1u ^ static_cast<uint32_t>(g >> 36));
}

const char* name_of(const PreferenceEntry* e) { return e->kind == EntryKind::key ? e->key : e->text; }

// The slot holding the name, or the empty slot where it would go.
IndexSlot* probe(const EntryIndex& ix, uint32_t hash, const PreferenceEntry* group, const char* name) {
  uint32_t mask = ix.capacity - 1;
  for (uint32_t i = hash & mask;; i = (i + 1) & mask) {
    IndexSlot* s = &ix.slots[i];
    if (!s->entry) return s;
    if (s->hash == hash && s->group == group && ascii_iequal(name_of(s->entry), name)) return s;
  }
}

void drop(EntryIndex& ix) {
  heap_free(ix.slots);
  ix.slots = nullptr;
  ix.capacity = 0;
  ix.count = 0;
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

// Adds the entry unless its name is already there (the first entry of a name wins).
void insert(EntryIndex& ix, uint32_t hash, PreferenceEntry* group, PreferenceEntry* entry) {
  if (ix.failed) return;
  if (ix.capacity == 0 || (ix.count + 1) * 2 > ix.capacity) {
    uint64_t capacity = ix.capacity ? uint64_t{ix.capacity} * 2 : kMinCapacity;
    if (capacity > (uint32_t{1} << 30) || !resize(ix, static_cast<uint32_t>(capacity))) {
      drop(ix);
      ix.failed = 1;
      return;
    }
  }
  IndexSlot* s = probe(ix, hash, group, name_of(entry));
  if (s->entry) return;
  *s = IndexSlot{entry, group, hash};
  ++ix.count;
}

uint32_t capacity_for(size_t count) {
  uint64_t capacity = kMinCapacity;
  while (capacity < uint64_t{count} * 2 + 2 && capacity <= (uint32_t{1} << 30)) capacity *= 2;
  return capacity > (uint32_t{1} << 30) ? 0 : static_cast<uint32_t>(capacity);
}

void build_one(EntryIndex& ix, size_t count) {
  uint32_t capacity = capacity_for(count);
  if (capacity == 0 || !resize(ix, capacity)) ix.failed = 1;
}

}  // namespace

void index_build(PreferenceFile& f) {
  index_release(f);
  size_t groups = 0;
  size_t keys = 0;
  for (PreferenceEntry* e = f.entries; e; e = e->next) {
    if (e->kind == EntryKind::group) ++groups;
    if (e->kind == EntryKind::key) ++keys;
  }
  build_one(f.group_index, groups);
  build_one(f.key_index, keys);
  PreferenceEntry* group = nullptr;
  for (PreferenceEntry* e = f.entries; e; e = e->next) {
    if (e->kind == EntryKind::group) {
      group = e;
      index_add_group(f, e);
    } else if (e->kind == EntryKind::key) {
      index_add_key(f, group, e);
    }
  }
}

void index_release(PreferenceFile& f) {
  drop(f.group_index);
  drop(f.key_index);
  f.group_index.failed = 0;
  f.key_index.failed = 0;
}

void index_add_group(PreferenceFile& f, PreferenceEntry* header) {
  insert(f.group_index, group_hash(header->text), nullptr, header);
}

void index_add_key(PreferenceFile& f, PreferenceEntry* group, PreferenceEntry* entry) {
  insert(f.key_index, key_hash(group, entry->key), group, entry);
}

PreferenceEntry* index_find_group(const PreferenceFile& f, const char* name, bool* indexed) {
  const EntryIndex& ix = f.group_index;
  *indexed = ix.slots != nullptr;
  if (!ix.slots) return nullptr;
  return probe(ix, group_hash(name), nullptr, name)->entry;
}

PreferenceEntry* index_find_key(const PreferenceFile& f, const PreferenceEntry* group, const char* key,
                                bool* indexed) {
  const EntryIndex& ix = f.key_index;
  *indexed = ix.slots != nullptr;
  if (!ix.slots) return nullptr;
  return probe(ix, key_hash(group, key), group, key)->entry;
}
