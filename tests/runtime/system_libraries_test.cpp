// Libraries loaded on first use, and COM through ole32 loaded by name.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "runtime/system_libraries.h"

namespace {

TEST(SystemFunction, LoadsTheLibraryOnItsFirstUseAndFindsTheFunction) {
  ASSERT_EQ(GetModuleHandleA("winmm.dll"), nullptr) << "nothing may have loaded it yet";
  void* begin = system_function("winmm.dll", "timeBeginPeriod");
  ASSERT_NE(begin, nullptr);
  const HMODULE winmm = GetModuleHandleA("winmm.dll");
  ASSERT_NE(winmm, nullptr);
  EXPECT_EQ(begin, reinterpret_cast<void*>(GetProcAddress(winmm, "timeBeginPeriod")));
  // A library that is loaded already is used as it is.
  EXPECT_EQ(
      system_function("kernel32.dll", "GetTickCount"),
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount")));
}

TEST(SystemFunction, MissingLibraryOrFunctionGivesNull) {
  EXPECT_EQ(system_function("pelmora_no_such_library.dll", "GetTickCount"), nullptr);
  EXPECT_EQ(system_function("kernel32.dll", "PelmoraNoSuchFunction"), nullptr);
}

// A fresh thread has no COM: the first start reports S_OK, the second S_FALSE.
TEST(Com, StartsOnTheCallingThread) {
  int32_t first = -1, second = -1;
  std::thread thread([&] {
    first = com_initialize();
    second = com_initialize();
    com_task_mem_free(nullptr);
  });
  thread.join();
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
}

}  // namespace
