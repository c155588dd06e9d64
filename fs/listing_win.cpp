// Numbered directory listings over FindFirstFileA / FindNextFileA.
#include <windows.h>

#include <atomic>
#include <cstring>

#include "fs/fs.h"
#include "fs/path.h"
#include "runtime/registry.h"

namespace {

// One listing. The search handle comes first: the object table counts a record whose first
// word is zero as absent.
struct DirectoryListing {
  HANDLE search;            // INVALID_HANDLE_VALUE: the folder exists but nothing matched
  int32_t first_delivered;  // 0 until dir_next_entry has handed out the first entry
  WIN32_FIND_DATAA entry;
};

std::atomic<ObjectTable*> g_listings{nullptr};

ObjectTable* listing_table() { return g_listings.load(std::memory_order_acquire); }

// The table is made by the first examination; a thread that loses the race drops its copy.
ObjectTable* listing_table_create() {
  ObjectTable* table = listing_table();
  if (table != nullptr) return table;
  ObjectTable* fresh = object_table_create(sizeof(DirectoryListing), 16, dir_release);
  if (fresh == nullptr) return nullptr;
  if (!g_listings.compare_exchange_strong(table, fresh, std::memory_order_acq_rel)) {
    object_table_destroy(fresh);
    return table;
  }
  return fresh;
}

DirectoryListing* find_listing(intptr_t number) {
  ObjectTable* table = listing_table();
  if (table == nullptr) return nullptr;
  return static_cast<DirectoryListing*>(object_find(table, number));
}

}  // namespace

intptr_t dir_examine(intptr_t number, const char* folder, const char* pattern) {
  if (number < -1) return 0;
  ObjectTable* table = listing_table_create();
  if (table == nullptr) return 0;
  const std::string search_path = fs_path::listing_search_path(folder, pattern);

  auto* listing = static_cast<DirectoryListing*>(object_claim(table, number));
  if (listing == nullptr) return 0;
  const intptr_t claimed = number == -1 ? object_number_of(table, listing) : number;

  const HANDLE search = FindFirstFileA(search_path.c_str(), &listing->entry);
  if (search != INVALID_HANDLE_VALUE) {
    listing->first_delivered = 0;
  } else if (GetLastError() == ERROR_FILE_NOT_FOUND) {
    listing->first_delivered = 1;  // the folder exists; the listing has no entries
  } else {
    object_release(table, claimed);  // the number holds no listing
    return 0;
  }
  listing->search = search;
  return number == -1 ? claimed : 1;
}

int32_t dir_next_entry(intptr_t number) {
  DirectoryListing* listing = find_listing(number);
  if (listing == nullptr || listing->search == INVALID_HANDLE_VALUE) return 0;
  int32_t result = 1;
  if (listing->first_delivered != 0) {
    result = FindNextFileA(listing->search, &listing->entry) ? 1 : 0;
  }
  listing->first_delivered = 1;
  return result;
}

std::string dir_entry_name(intptr_t number) {
  const DirectoryListing* listing = find_listing(number);
  if (listing == nullptr) return std::string();
  const char* name = listing->entry.cFileName;
  return std::string(name, strnlen(name, sizeof listing->entry.cFileName));
}

void dir_release(intptr_t number) {
  ObjectTable* table = listing_table();
  DirectoryListing* listing = find_listing(number);
  if (listing == nullptr) return;
  if (listing->search != INVALID_HANDLE_VALUE) FindClose(listing->search);
  object_release(table, number);
}
