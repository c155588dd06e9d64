// Input that Wine now and then loses on a loaded machine (a click, a key, a button press) is
// given again until its effect shows. Platform-free.
#pragma once

#include <functional>

namespace test_support {

// Runs action() until done() holds, at most `attempts` times; done() is asked after every action
// and may wait for the effect. True once done() held.
inline bool click_until(const std::function<void()>& action, const std::function<bool()>& done,
                        int attempts) {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    action();
    if (done()) return true;
  }
  return false;
}

}  // namespace test_support
