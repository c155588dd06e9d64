// System libraries that only some clicks need (the shell, COM, the multimedia timer), loaded on
// their first use instead of at process start, so that a start that finds its settings loads
// none of them. Windows only; each library stays loaded until the process ends.
#pragma once

#include <cstdint>

// The function `name` of the system library `library`, loading the library on the first call;
// nullptr when either is missing. Cache the result: each call looks the name up again.
void* system_function(const char* library, const char* name);

// COM. Start-up asks for it on the thread that runs the start-up (com_start_later); it is
// started there the first time that thread calls com_use, which every operation needing COM
// calls first. On another thread com_use starts nothing: such a thread starts COM itself
// (com_initialize). Results are the system's; a missing ole32 gives E_FAIL (0x80004005).
void com_start_later();
void com_use();
int32_t com_initialize();           // CoInitialize(nullptr) for the calling thread
void com_task_mem_free(void* block);
void com_revoke_drag_drop(void* window);
