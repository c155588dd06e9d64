// Fuzz target: any bytes as a preference file. Parsing must stay inside the buffer; writing the
// list back and parsing that text must give the same groups, keys and values; lookups through
// the index must agree with walking the list; a write must land and read back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "prefs/prefs_file.h"
#include "runtime/runtime.h"

namespace {

void fail(const char* what) {
  std::fprintf(stderr, "prefs fuzz: %s\n", what);
  std::abort();
}

// A file parsed from bytes; the handle is a stand-in for the portable code.
struct Loaded {
  PreferenceFile f{};
  Loaded(const char* data, size_t size) {
    f.handle = 1;
    file_load_text(f, data, size);
  }
  ~Loaded() { file_release(f); }
};

bool same_entries(const PreferenceFile& a, const PreferenceFile& b) {
  const PreferenceEntry* x = a.entries;
  const PreferenceEntry* y = b.entries;
  for (; x && y; x = x->next, y = y->next) {
    if (x->kind != y->kind || std::strcmp(x->text, y->text) != 0) return false;
    if (x->kind == EntryKind::key && std::strcmp(x->key, y->key) != 0) return false;
  }
  return !x && !y;
}

void check_links(const PreferenceFile& f) {
  const PreferenceEntry* prev = nullptr;
  for (const PreferenceEntry* e = f.entries; e; e = e->next) {
    if (e->prev != prev) fail("broken back link");
    prev = e;
  }
  if (prev != f.last_entry) fail("wrong list tail");
}

void check_lookups(const char* data, size_t size, Loaded& indexed) {
  if (indexed.f.encoding != kEncodingAnsi) return;  // keys below are file bytes, not 8-bit text
  Loaded walked(data, size);
  walked.f.walk_only = 1;
  const PreferenceEntry* w = walked.f.entries;
  for (PreferenceEntry* e = indexed.f.entries; e; e = e->next, w = w->next) {
    if (e->kind == EntryKind::group) {
      if (file_select_group(indexed.f, e->text) != file_select_group(walked.f, w->text))
        fail("group selection differs");
      indexed.f.current_group = e;
      walked.f.current_group = const_cast<PreferenceEntry*>(w);
    }
    if (e->kind != EntryKind::key) continue;
    const char* a = file_find_value(indexed.f, e->key);
    const char* b = file_find_value(walked.f, e->key);
    if (!a || !b || std::strcmp(a, b) != 0) fail("index and walk disagree");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const char* data = reinterpret_cast<const char*>(bytes);
  Loaded first(data, size);
  check_links(first.f);

  FileText text = file_build_text(first.f);
  if (!text.data) fail("no memory for the text");
  Loaded second(text.data, text.size);
  if (second.f.encoding != first.f.encoding) fail("encoding lost");
  if (!same_entries(first.f, second.f)) fail("round trip changed the entries");
  heap_free(text.data);

  check_lookups(data, size, first);

  // Reading every key converts and trims inside the value's bounds.
  file_select_group(first.f, nullptr);
  for (const PreferenceEntry* e = first.f.entries; e; e = e->next) {
    if (e->kind == EntryKind::key) file_read_string(first.f, e->key, "");
  }

  // A write into the last group (or a new one) reads back.
  const PreferenceEntry* last_group = nullptr;
  for (const PreferenceEntry* e = first.f.entries; e; e = e->next) {
    if (e->kind == EntryKind::group) last_group = e;
  }
  if (first.f.encoding == kEncodingAnsi && last_group) {
    file_select_group(first.f, last_group->text);
  } else {
    file_select_group(first.f, "fuzz-group");
  }
  file_write_string(first.f, "fuzz-key", "v\xE4 ");
  if (file_read_string(first.f, "FUZZ-KEY", "") != "v\xE4") fail("written value not read back");
  check_links(first.f);
  return 0;
}
