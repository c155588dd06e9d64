// The Win32 message queue of the calling thread as the event queue's peer.
#include <windows.h>

#include <chrono>

#include "message_queue_peer.h"

bool message_queue_seconds(int burst, int events, double* seconds) {
  constexpr UINT kMessage = WM_APP + 1;
  MSG message;
  // The thread gets its message queue on its first user32 call; not part of the figure.
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  const auto start = std::chrono::steady_clock::now();
  volatile LPARAM sum = 0;
  for (int done = 0; done < events; done += burst) {
    for (int i = 0; i < burst; ++i) {
      if (!PostMessageA(nullptr, kMessage, 13100, done + i)) return false;
    }
    for (int i = 0; i < burst; ++i) {
      if (!PeekMessageA(&message, nullptr, kMessage, kMessage, PM_REMOVE)) return false;
      sum = sum + static_cast<LPARAM>(message.wParam) + message.lParam;
    }
  }
  *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return true;
}
