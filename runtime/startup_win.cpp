// The process's start-up and end sequence.
#include <windows.h>

#include "runtime/internal.h"
#include "runtime/runtime.h"

namespace {

HINSTANCE g_instance = nullptr;

void step(const LibrarySteps& steps, const char* name, void (*run)()) {
  if (steps.trace) steps.trace(name);
  if (run) run();
}

void keep_instance() { g_instance = GetModuleHandleA(nullptr); }

}  // namespace

void* runtime_instance() { return g_instance; }

void runtime_startup(const LibrarySteps& steps) {
  // Static storage starts zeroed; the reset covers a second start in the same process (tests).
  step(steps, "globals", runtime_globals_reset);
  step(steps, "instance", keep_instance);
  step(steps, "main heap", runtime_main_heap_create);
  step(steps, "strings_init", strings_init);
  step(steps, "arrays_init", arrays_init);
  step(steps, "images_init", images_init);
  step(steps, "events_init", steps.events_init);
  step(steps, "windows_init", steps.windows_init);
  step(steps, "gadget_toolkit_init", steps.gadget_toolkit_init);
  step(steps, "prefs_init", steps.prefs_init);
  step(steps, "program_init", steps.program_init);
  step(steps, "requester_init", steps.requester_init);
}

void runtime_shutdown(const LibrarySteps& steps) {
  step(steps, "prefs_shutdown", steps.prefs_shutdown);
  step(steps, "windows_end", steps.windows_end);
  step(steps, "images_end", images_end);
  step(steps, "strings_end", strings_end);
  step(steps, "main heap destroy", runtime_main_heap_destroy);
}

void runtime_run(const LibrarySteps& steps, int (*application)()) {
  runtime_startup(steps);
  if (steps.trace) steps.trace("application");
  int exit_code = application ? application() : 0;
  runtime_shutdown(steps);
  ExitProcess(static_cast<UINT>(exit_code));
}
