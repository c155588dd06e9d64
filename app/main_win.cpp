// The application's start: wires the runtime libraries into the process's start-up and end
// sequence and runs the program.
#include "app/app.h"
#include "app/main_window.h"
#include "prefs/prefs.h"
#include "process/process.h"
#include "runtime/runtime.h"
#include "ui/gadget/gadget.h"
#include "ui/requester/requester.h"
#include "ui/window/window.h"

namespace {

void start_gadgets() { gadget_toolkit_init(); }

int application() {
  // The application's variables live for the whole run; the end sequence ends the process
  // without tearing them down.
  static AppState app;
  return run_application(app);
}

}  // namespace

void pelmora_main() {
  LibrarySteps steps = {};
  steps.events_init = events_init;
  steps.windows_init = windows_init;
  steps.gadget_toolkit_init = start_gadgets;
  steps.prefs_init = prefs_init;
  steps.program_init = program_init;
  steps.requester_init = requester_init;
  steps.prefs_shutdown = prefs_shutdown;
  steps.windows_end = windows_end;
  runtime_run(steps, application);
}
