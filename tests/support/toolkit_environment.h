// The runtime's start-up with the event, window and gadget steps, run once by every test program
// that includes this header (before its first test).
#pragma once

#include <gtest/gtest.h>

#include "runtime/runtime.h"
#include "ui/gadget/gadget.h"
#include "ui/window/window.h"

namespace test_support {

class ToolkitEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    LibrarySteps steps{};
    steps.events_init = events_init;
    steps.windows_init = windows_init;
    steps.gadget_toolkit_init = [] { gadget_toolkit_init(); };
    runtime_startup(steps);
  }
};

inline ::testing::Environment* const toolkit_environment =
    ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

}  // namespace test_support
