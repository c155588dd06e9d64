// Preference files: small INI-style text files with "[groups]", "key = value" lines and ";"
// comments. Each thread has one current preference file; every operation works on it.
//
// Error convention: creating and opening return the file handle (non-zero) on success and 0 on
// failure; lookups give their default when no file is open; writes are dropped silently when
// no file is open or memory runs out. Changes stay in memory until the file is closed.
// The text written back has one line per group, key and ";" comment, in their order, as
// "[group]", "key = value" and "; comment" with CR LF line ends; blank lines are not kept.
//
// Texts passed and returned are 8-bit ANSI. A file that starts with the UTF-8 byte-order mark is
// held as UTF-8; keys, group names and values are converted at the boundary, each 8-bit byte
// standing for the Unicode code point of the same number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Start-up step: registers the per-thread preference file (closed when its thread ends).
void prefs_init();
// End step, first of the end sequence: closes the calling (main) thread's file as prefs_close
// and frees the memory it kept for the next file.
void prefs_shutdown();

// Closes the current file, then opens an existing file (nullptr counts as ""). When it cannot be
// opened for writing it is read all the same and later changes are dropped at close. A missing
// file gives 0 and leaves a name-only record: writes followed by a close create the file.
uintptr_t prefs_open(const char* file_name);
// Closes the current file, then creates (or empties) the file. 0 when it cannot be created.
uintptr_t prefs_create(const char* file_name);
// Writes the file back when it was changed, releases everything and leaves no file open. The new
// text is written beside the file and replaces it in one step. 0 when nothing was to be written
// or it was written (changes to a file opened read-only are dropped); else the system's reason,
// and the file stays as it was.
uint32_t prefs_close();

// Selects a group (nullptr or "" = the lines before the first group header). 1 when it exists;
// 0 when it does not (the first write then appends it) or when no file is open.
int prefs_group(const char* group_name);
// The stored value of the key in the selected group, as held in memory (untrimmed, UTF-8 in a
// UTF-8 file), or nullptr. Valid until the next write or close.
const char* prefs_find_value(const char* key);
// The value of the key with leading and trailing blanks removed, or a copy of the default.
std::string prefs_read_string(const char* key, const char* default_value);

// Stores the value (nullptr counts as "") under the key in the selected group.
void prefs_write_string(const char* key, const char* value);
// Writable storage for the key's value in the selected group with room for `needed` bytes plus a
// terminating zero, creating the key (and a pending group) when missing; nullptr when no file is
// open or memory runs out. Marks the file as changed.
char* prefs_reserve_value(const char* key, size_t needed);
