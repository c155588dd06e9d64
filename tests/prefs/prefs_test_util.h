// Helpers for the preference-file tests: a file parsed from a string, and the entry list as
// readable lines.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "prefs/prefs_file.h"
#include "runtime/runtime.h"

// A preference file parsed from text as if read from disk (byte-order mark detection included).
// The handle is a stand-in: the portable code never uses it.
struct LoadedFile {
  PreferenceFile f{};
  explicit LoadedFile(const std::string& text) {
    f.handle = 1;
    file_load_text(f, text.data(), text.size());
  }
  ~LoadedFile() {
    if (before_release) before_release(f);
    file_release(f);
  }
  std::function<void(const PreferenceFile&)> before_release;  // a last look at the file
  LoadedFile(const LoadedFile&) = delete;
  LoadedFile& operator=(const LoadedFile&) = delete;

  // Drops the hash index for good, so that every lookup walks the list.
  void without_index() {
    index_release(f);
    f.walk_only = 1;
  }
  std::string text() const {
    FileText t = file_build_text(f);
    std::string s(t.data ? t.data : "", t.size);
    heap_free(t.data);
    return s;
  }
};

// "[name]", ";text" and "key=value" per entry, in list order.
inline std::vector<std::string> dump(const PreferenceFile& f) {
  std::vector<std::string> lines;
  for (const PreferenceEntry* e = f.entries; e; e = e->next) {
    switch (e->kind) {
      case EntryKind::group:
        lines.push_back("[" + std::string(e->text) + "]");
        break;
      case EntryKind::comment:
        lines.push_back(";" + std::string(e->text));
        break;
      case EntryKind::key:
        lines.push_back(std::string(e->key) + "=" + e->text);
        break;
    }
  }
  return lines;
}

// The list must be consistent in both directions and end at last_entry.
inline bool links_consistent(const PreferenceFile& f) {
  const PreferenceEntry* prev = nullptr;
  for (const PreferenceEntry* e = f.entries; e; e = e->next) {
    if (e->prev != prev) return false;
    prev = e;
  }
  return prev == f.last_entry;
}
