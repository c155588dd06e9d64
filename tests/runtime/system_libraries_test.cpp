// Libraries loaded on first use, and COM started on the start-up thread at its first use.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "runtime/system_libraries.h"

namespace {

constexpr int32_t kOk = 0;      // S_OK: COM was started by this call
constexpr int32_t kFalse = 1;   // S_FALSE: it was started on this thread already

TEST(SystemFunction, LoadsTheLibraryOnItsFirstUseAndFindsTheFunction) {
  ASSERT_EQ(GetModuleHandleA("winmm.dll"), nullptr) << "nothing may have loaded it yet";
  void* begin = system_function("winmm.dll", "timeBeginPeriod");
  ASSERT_NE(begin, nullptr);
  const HMODULE winmm = GetModuleHandleA("winmm.dll");
  ASSERT_NE(winmm, nullptr);
  EXPECT_EQ(begin, reinterpret_cast<void*>(GetProcAddress(winmm, "timeBeginPeriod")));
  // A library that is loaded already is used as it is.
  EXPECT_EQ(system_function("kernel32.dll", "GetTickCount"),
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount")));
}

TEST(SystemFunction, MissingLibraryOrFunctionGivesNull) {
  EXPECT_EQ(system_function("pelmora_no_such_library.dll", "GetTickCount"), nullptr);
  EXPECT_EQ(system_function("kernel32.dll", "PelmoraNoSuchFunction"), nullptr);
}

// Each thread starts without COM, so the scenario runs on threads of its own.
TEST(Com, StartsOnTheThreadThatAskedAtItsFirstUseAndOnlyThere) {
  int32_t asked_thread_again = -1;
  std::thread asking([&] {
    com_start_later();
    com_use();
    com_use();   // once only: a second use starts nothing more
    asked_thread_again = com_initialize();
  });
  asking.join();
  EXPECT_EQ(asked_thread_again, kFalse) << "com_use did not start COM on the asking thread";

  int32_t other_thread = -1;
  std::thread other([&] {
    com_use();
    other_thread = com_initialize();
  });
  other.join();
  EXPECT_EQ(other_thread, kOk) << "com_use started COM on a thread that did not ask";
}

}  // namespace
