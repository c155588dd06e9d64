// Host stand-in for thread clean-up: a thread_local list whose destructor runs the clean-ups,
// newest first, when the thread ends.
#include <vector>

#include "runtime/runtime.h"

namespace {

struct ThreadCleanups {
  std::vector<std::pair<void (*)(void*), void*>> entries;
  ~ThreadCleanups() {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) it->first(it->second);
  }
};

thread_local ThreadCleanups t_cleanups;

}  // namespace

void on_thread_exit(void (*cleanup)(void*), void* argument) {
  t_cleanups.entries.emplace_back(cleanup, argument);
}
