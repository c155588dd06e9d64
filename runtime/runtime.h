// Runtime core: the process's start-up and end sequence, the two private heaps, string
// results and per-thread clean-up.
//
// Error convention: functions that hand out memory return nullptr when none can be had.
// String results are returned as owned std::string values: they stay valid as long as the
// caller keeps them, and arguments never alias the result storage.
#pragma once

#include <cstddef>
#include <cstdint>

// --- Main heap: every runtime library's records, tables and per-thread blocks. ---
void* heap_alloc(size_t size);  // zero-filled block, nullptr on failure
void* heap_realloc(
    void* block,
    size_t size);             // bytes beyond the old size are zero; nullptr on failure (block kept)
void heap_free(void* block);  // nullptr is accepted
char* heap_strdup(const char* text);  // copy of text (nullptr counts as ""), nullptr on failure

// --- String heap: the application's string variables. ---
void strings_init();
void strings_end();
void* string_heap_alloc(size_t size);  // zero-filled, nullptr on failure
void string_heap_free(void* block);
char* string_heap_strdup(const char* text);  // nullptr counts as ""

// --- Arrays: the operations other libraries use for dynamic arrays (main heap). ---
struct ArrayOps {
  void* (*allocate)(size_t count, size_t element_size);                      // zero-filled
  void* (*redimension)(void* array, size_t new_count, size_t element_size);  // new elements zero
  void (*release)(void* array);
};
void arrays_init();
const ArrayOps* array_ops();  // nullptr before arrays_init

// Runs cleanup(argument) once the calling thread has ended. The main thread never needs it.
void on_thread_exit(void (*cleanup)(void*), void* argument);

// --- Process entry. ---
// The runtime starts and ends the libraries in one fixed order; each library's step is handed
// in here so that the runtime does not depend on the libraries built on top of it. A null
// step is skipped.
struct LibrarySteps {
  void (*events_init)();
  void (*windows_init)();
  void (*gadget_toolkit_init)();
  void (*prefs_init)();
  void (*program_init)();
  void (*requester_init)();
  void (*prefs_shutdown)();
  void (*windows_end)();
  // Told the name of every step just before it runs ("main heap", "events_init", ...); for
  // tests and diagnostics, null in the program.
  void (*trace)(const char* step);
};

// Start-up steps 1 to 13: globals, instance handle, main heap, string runtime, arrays, image
// library, visual-style probe, then the libraries in order.
void runtime_startup(const LibrarySteps& steps);
// End steps 1 to 6: preference file, windows, visual-style module, images, strings, main heap.
void runtime_shutdown(const LibrarySteps& steps);
// The whole life of the process: start-up, application, end sequence, then ExitProcess with the
// application's exit code (0 when all went well). Does not return.
[[noreturn]] void runtime_run(const LibrarySteps& steps, int (*application)());

// The program's module instance handle (HINSTANCE on Windows), kept by start-up step 2.
void* runtime_instance();
