// The application's start: wires the runtime libraries into the process's start-up and end
// sequence and runs the program.
#include "app/app.h"
#include "runtime/runtime.h"

namespace {

int application() { return 0; }

}  // namespace

void pelmora_main() {
  LibrarySteps steps = {};
  runtime_run(steps, application);
}
