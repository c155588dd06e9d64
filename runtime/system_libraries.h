// System libraries that only some clicks need (the shell, the multimedia timer), loaded on their
// first use instead of at process start, and COM through ole32 loaded by name, so that the
// program's import table names none of them. Windows only; a library stays loaded until the
// process ends.
#pragma once

#include <cstdint>

// The function `name` of the system library `library`, loading the library on the first call;
// nullptr when either is missing. Cache the result: each call looks the name up again.
void* system_function(const char* library, const char* name);

// COM for the calling thread: CoInitialize(nullptr)'s result (S_OK, S_FALSE when the thread has
// it already), E_FAIL (0x80004005) when ole32 is missing.
int32_t com_initialize();
void com_task_mem_free(void* block);      // CoTaskMemFree; nullptr is accepted
void com_revoke_drag_drop(void* window);  // RevokeDragDrop
