// The operations on the calling thread's current preference file that need no file I/O.
#include "prefs/prefs.h"

#include "prefs/prefs_file.h"
#include "prefs/prefs_internal.h"
#include "runtime/registry.h"

namespace {

bool g_registered = false;
size_t g_slice_offset = 0;

}  // namespace

void prefs_register_slice(void (*cleanup)(void* slice)) {
  if (g_registered) return;
  g_slice_offset = thread_state_register(sizeof(PreferenceFile), nullptr, cleanup);
  g_registered = true;
}

PreferenceFile* prefs_current() {
  if (!g_registered) return nullptr;
  return static_cast<PreferenceFile*>(thread_state_get(g_slice_offset));
}

int prefs_group(const char* group_name) {
  PreferenceFile* f = prefs_current();
  return f ? file_select_group(*f, group_name) : 0;
}

const char* prefs_find_value(const char* key) {
  PreferenceFile* f = prefs_current();
  return f ? file_find_value(*f, key) : nullptr;
}

std::string prefs_read_string(const char* key, const char* default_value) {
  PreferenceFile* f = prefs_current();
  if (!f) return default_value ? default_value : "";
  return file_read_string(*f, key, default_value);
}

void prefs_write_string(const char* key, const char* value) {
  if (PreferenceFile* f = prefs_current()) file_write_string(*f, key, value);
}

char* prefs_reserve_value(const char* key, size_t needed) {
  PreferenceFile* f = prefs_current();
  return f ? file_reserve_value(*f, key, needed) : nullptr;
}
