// Runs the process's whole life with the real library steps, each wrapped so that it prints,
// just before the library runs, which libraries have already taken effect. The order is thus
// read from the libraries' own effects, not from the names the runtime hands out. The
// application opens a window and changes the preference file named in PROBE_PREFS; the end
// sequence must write the file and then close the window.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "prefs/prefs.h"
#include "process/process.h"
#include "runtime/handles_win.h"
#include "runtime/runtime.h"
#include "ui/gadget/gadget.h"
#include "ui/requester/requester.h"
#include "ui/window/window.h"

namespace {

HWND g_window = nullptr;

const char* prefs_path() {
  const char* path = std::getenv("PROBE_PREFS");
  return path ? path : "";
}

bool file_says(const char* text) {
  const win::Handle h(CreateFileA(prefs_path(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h) return false;
  char buffer[256];
  DWORD got = 0;
  ReadFile(h.get(), buffer, sizeof buffer, &got, nullptr);
  return std::string(buffer, got) == text;
}

// One letter per library whose effect is there: H heap, A arrays, E event queue (a posted event
// is kept), W windows (the calling thread has an event snapshot), P preference files (an
// existing file opens), C COM started, F the changed file on disk, O the application's window
// still open.
void report(const char* step) {
  std::string s;
  if (void* block = heap_alloc(16)) {
    s += 'H';
    heap_free(block);
  }
  if (array_ops()) s += 'A';
  // The queue may already hold the window's own events (activation, size): the posted one must
  // come on top, and only it is taken away again.
  const int32_t queued = event_queue_length();
  event_post(event_gadget_activity, 1, 0, 0);
  if (event_queue_length() == queued + 1) s += 'E';
  event_purge(event_gadget_activity, 1, 0, 0);
  if (event_window() != -1) s += 'W';
  if (!g_window) {
    // Opening closes nothing yet: the application has not opened the file.
    if (prefs_open(prefs_path()) != 0) s += 'P';
    prefs_close();
  }
  const HRESULT com = CoInitialize(nullptr);
  if (com == S_FALSE) s += 'C';
  if (SUCCEEDED(com)) CoUninitialize();
  if (file_says("k = changed\r\n")) s += 'F';
  if (g_window && IsWindow(g_window)) s += 'O';
  std::printf("%s %s\n", step, s.c_str());
  std::fflush(stdout);
}

int application() {
  report("application");
  g_window = reinterpret_cast<HWND>(window_open(0, 10, 10, 100, 80, "Probe", 0xC80000));
  prefs_open(prefs_path());
  prefs_write_string("k", "changed");
  const char* code = std::getenv("PROBE_EXIT_CODE");
  return code ? std::atoi(code) : 0;
}

}  // namespace

int main() {
  LibrarySteps steps = {};
  steps.events_init = [] {
    report("events_init");
    events_init();
  };
  steps.windows_init = [] {
    report("windows_init");
    windows_init();
  };
  steps.gadget_toolkit_init = [] {
    report("gadget_toolkit_init");
    gadget_toolkit_init();
  };
  steps.prefs_init = [] {
    report("prefs_init");
    prefs_init();
  };
  steps.program_init = [] {
    report("program_init");
    program_init();
  };
  steps.requester_init = [] {
    report("requester_init");
    requester_init();
  };
  steps.prefs_shutdown = [] {
    report("prefs_shutdown");
    prefs_shutdown();
  };
  steps.windows_end = [] {
    report("windows_end");
    windows_end();
  };
  runtime_run(steps, application);
}
