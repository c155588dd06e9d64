// A recursive lock: a critical section on Windows, a recursive mutex elsewhere.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#endif

class Lock {
 public:
#ifdef _WIN32
  Lock() { InitializeCriticalSection(&cs_); }
  ~Lock() { DeleteCriticalSection(&cs_); }
  void lock() { EnterCriticalSection(&cs_); }
  void unlock() { LeaveCriticalSection(&cs_); }
#else
  Lock() = default;
  void lock() { m_.lock(); }
  void unlock() { m_.unlock(); }
#endif
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
#ifdef _WIN32
  CRITICAL_SECTION cs_;
#else
  std::recursive_mutex m_;
#endif
};

class LockGuard {
 public:
  explicit LockGuard(Lock& l) : l_(l) { l_.lock(); }
  ~LockGuard() { l_.unlock(); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

 private:
  Lock& l_;
};
