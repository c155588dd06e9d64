// Runs the process's whole life with recording library steps: prints every step in the order
// it runs, then the application's exit code is the process's.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "runtime/registry.h"
#include "runtime/runtime.h"

namespace {

void trace(const char* step) {
  std::printf("%s\n", step);
  std::fflush(stdout);
}

void probe_heaps() {
  // Start-up has made the heaps and the per-thread area by the time the libraries start.
  void* block = heap_alloc(16);
  std::printf("heap ok=%d\n", block != nullptr);
  heap_free(block);
}

int application() {
  std::printf("instance ok=%d arrays ok=%d\n", runtime_instance() == GetModuleHandleA(nullptr), array_ops() != nullptr);
  const char* code = std::getenv("PROBE_EXIT_CODE");
  return code ? std::atoi(code) : 0;
}

}  // namespace

int main() {
  LibrarySteps steps = {};
  steps.events_init = probe_heaps;
  steps.windows_init = [] {};
  steps.gadget_toolkit_init = [] {};
  steps.prefs_init = [] {};
  steps.program_init = [] {};
  steps.requester_init = [] {};
  steps.prefs_shutdown = [] {};
  steps.windows_end = [] {};
  steps.trace = trace;
  runtime_run(steps, application);
}
