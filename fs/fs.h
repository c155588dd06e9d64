// File-system operations on ANSI path strings, and numbered directory listings.
//
// Paths go to the system's ANSI file functions unchanged apart from the documented cuts;
// relative paths are resolved against the process's current directory. No operation shows a
// message; failures come back as 0 (or -1 / -2 from file_size) and the system's error code is
// left as the system set it.
#pragma once

#include <cstdint>
#include <string>

// Size in bytes of the file at path; -1 when nothing exists there (or path is null or empty);
// -2 for a directory or a drive. A path with wildcards reports the first matching entry.
int64_t file_size(const char* path);

// Creates exactly one directory level (trailing spaces and separators are ignored). Non-zero
// when it was created; 0 otherwise, also for a directory that exists already.
int32_t dir_create(const char* path);

// Copies source over destination, replacing an existing file. Non-zero on success.
int32_t file_copy(const char* source, const char* destination);

// Deletes a file. Non-zero on success.
int32_t file_delete(const char* path);

// Moves a file to a new name, also into another folder or onto another drive. Fails, changing
// nothing, when the new path exists. Non-zero on success.
int32_t file_rename(const char* old_path, const char* new_path);

// The process's current directory ending in "\", or "" when it cannot be read.
std::string current_directory();

// --- Directory listings, addressed by a number of 0 or more, or -1 for an automatic one. ---

// Starts listing the entries of folder (nullptr counts as "") that match pattern (nullptr or ""
// means "*.*"). Examining a number that holds a listing closes that one first. Returns the
// automatic number for -1, 1 for an explicit number, and 0 when the folder cannot be searched
// (the number then holds no listing). A folder without matching entries gives a listing with
// no entries.
intptr_t dir_examine(intptr_t number, const char* folder, const char* pattern);

// Moves to the next entry (the first one on the first call): 1 when an entry is current, 0 when
// there is none left or the number holds no listing.
int32_t dir_next_entry(intptr_t number);

// Name of the current entry; "" when the number holds no listing.
std::string dir_entry_name(intptr_t number);

// Closes the listing and frees its number; a number without a listing is left alone.
void dir_release(intptr_t number);
