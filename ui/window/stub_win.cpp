// Temporary stand-ins while the window library is being written.
#include "ui/window/window.h"

void events_init() {}
void event_post(int32_t, intptr_t, intptr_t, int32_t, void*, EventDataRelease) {}
int32_t event_pop(intptr_t*, intptr_t*, int32_t*, void**, EventDataRelease*) { return 0; }
void event_purge(int32_t, intptr_t, intptr_t, int32_t) {}
void event_purge_window(intptr_t) {}
int32_t event_queue_length() { return 0; }
void windows_init() {}
void windows_end() {}
intptr_t window_open(intptr_t, int, int, int, int, const char*, uint32_t, HWND) { return 0; }
void window_close(intptr_t) {}
HWND window_handle(intptr_t) { return nullptr; }
intptr_t window_number_of(HWND) { return -1; }
int32_t event_wait() { return 0; }
int32_t event_wait_timed(int32_t) { return 0; }
intptr_t event_gadget() { return 0; }
intptr_t event_window() { return -1; }
int32_t event_type() { return -1; }
void* event_data() { return nullptr; }
WPARAM event_wparam() { return 0; }
LPARAM event_lparam() { return 0; }
LRESULT CALLBACK toolkit_window_proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }
LRESULT gadget_message_hook(HWND, HWND, UINT, WPARAM, LPARAM) { return kNotHandled; }
void window_set_gadget_hooks(GadgetMessageHookFn, GadgetListSelectFn) {}
