// Clean-up after other threads: watcher threads wait on the handles of up to 62 registered
// threads (plus one semaphore that tells them the set has changed) and run each thread's
// clean-ups, newest first, once it has ended.
#include <windows.h>

#include "runtime/lock.h"
#include "runtime/registry.h"
#include "runtime/runtime.h"

namespace {

constexpr int kThreadsPerWatcher = MAXIMUM_WAIT_OBJECTS - 2;  // 63 handles with the semaphore

struct Cleanup {
  void (*function)(void*);
  void* argument;
};

struct WatchedThread {
  DWORD id;
  HANDLE handle;      // duplicated with synchronise access only
  ListHead cleanups;  // Cleanup payloads, newest first
};

struct ThreadWatcher {
  HANDLE semaphore;
  int count;
  HANDLE handles[kThreadsPerWatcher];
  WatchedThread* threads[kThreadsPerWatcher];
};

Lock& watch_lock() {
  static Lock lock;
  return lock;
}
ListHead g_watchers;  // ThreadWatcher payloads

WatchedThread* find_watched(DWORD id) {
  for (auto* w = static_cast<ThreadWatcher*>(list_first(&g_watchers)); w;
       w = static_cast<ThreadWatcher*>(list_next(w))) {
    for (int i = 0; i < w->count; ++i) {
      // A thread id can be reused once its thread has ended: only a thread still running counts.
      if (w->threads[i]->id == id && WaitForSingleObject(w->handles[i], 0) == WAIT_TIMEOUT)
        return w->threads[i];
    }
  }
  return nullptr;
}

void run_cleanups(WatchedThread* thread) {
  while (auto* c = static_cast<Cleanup*>(list_first(&thread->cleanups))) {
    Cleanup copy = *c;
    list_remove(&thread->cleanups, c);
    copy.function(copy.argument);
  }
  heap_free(thread);
}

DWORD WINAPI watcher_main(void* parameter) {
  auto* w = static_cast<ThreadWatcher*>(parameter);
  HANDLE waits[MAXIMUM_WAIT_OBJECTS];
  for (;;) {
    DWORD n;
    {
      LockGuard guard(watch_lock());
      waits[0] = w->semaphore;
      for (int i = 0; i < w->count; ++i) waits[i + 1] = w->handles[i];
      n = static_cast<DWORD>(w->count) + 1;
    }
    DWORD r = WaitForMultipleObjects(n, waits, FALSE, INFINITE);
    if (r == WAIT_OBJECT_0 || r >= WAIT_OBJECT_0 + n) continue;  // the set changed
    HANDLE ended = waits[r - WAIT_OBJECT_0];
    WatchedThread* thread = nullptr;
    bool last = false;
    HANDLE semaphore = nullptr;
    {
      LockGuard guard(watch_lock());
      for (int i = 0; i < w->count; ++i) {
        if (w->handles[i] != ended) continue;
        thread = w->threads[i];
        --w->count;
        w->handles[i] = w->handles[w->count];
        w->threads[i] = w->threads[w->count];
        break;
      }
      last = w->count == 0;
      // Unlinked under the lock, so that no registration can join a watcher that is ending.
      if (last) {
        semaphore = w->semaphore;
        list_remove(&g_watchers, w);
      }
    }
    CloseHandle(ended);
    if (thread) run_cleanups(thread);
    if (last) {
      CloseHandle(semaphore);
      return 0;
    }
  }
}

}  // namespace

void on_thread_exit(void (*cleanup)(void*), void* argument) {
  LockGuard guard(watch_lock());
  DWORD id = GetCurrentThreadId();
  WatchedThread* thread = find_watched(id);
  if (!thread) {
    HANDLE handle = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &handle,
                         SYNCHRONIZE, FALSE, 0)) {
      return;
    }
    thread = static_cast<WatchedThread*>(heap_alloc(sizeof(WatchedThread)));
    if (!thread) {
      CloseHandle(handle);
      return;
    }
    thread->id = id;
    thread->handle = handle;
    ThreadWatcher* watcher = nullptr;
    for (auto* w = static_cast<ThreadWatcher*>(list_first(&g_watchers)); w && !watcher;
         w = static_cast<ThreadWatcher*>(list_next(w))) {
      if (w->count < kThreadsPerWatcher) watcher = w;
    }
    bool fresh = !watcher;
    if (fresh) {
      watcher = static_cast<ThreadWatcher*>(list_push_front(&g_watchers, sizeof(ThreadWatcher)));
      if (watcher) watcher->semaphore = CreateSemaphoreA(nullptr, 0, 1, nullptr);
      if (!watcher || !watcher->semaphore) {
        if (watcher) list_remove(&g_watchers, watcher);
        CloseHandle(handle);
        heap_free(thread);
        return;
      }
    }
    watcher->handles[watcher->count] = handle;
    watcher->threads[watcher->count] = thread;
    ++watcher->count;
    if (fresh) {
      HANDLE t = CreateThread(nullptr, 4096, watcher_main, watcher, 0, nullptr);
      if (t) {
        CloseHandle(t);
      } else {
        --watcher->count;
        CloseHandle(watcher->semaphore);
        list_remove(&g_watchers, watcher);
        CloseHandle(handle);
        heap_free(thread);
        return;
      }
    } else {
      ReleaseSemaphore(watcher->semaphore, 1, nullptr);
    }
  }
  if (auto* c = static_cast<Cleanup*>(list_push_front(&thread->cleanups, sizeof(Cleanup)))) {
    *c = Cleanup{cleanup, argument};
  }
}
