// Numbered top-level windows, the per-thread event queue and the event wait.
//
// A window is opened by number (0 or more, or -1 for an automatic number) and produces events
// that event_wait() returns one per call; event_gadget() and the other accessors then tell what
// the event carried. Events are per thread: a window's events go to the thread that opened it.
//
// The event queue (event_post / event_pop / event_purge) is platform-free and also builds on the
// host; everything that needs a window is Windows only.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

// --- Event numbers returned by event_wait. A Win32 message that gives no event is returned as
// its own message number. ---
constexpr int32_t event_window_moved = 3;  // object = window number
constexpr int32_t event_window_sized = 5;
constexpr int32_t event_repaint = 15;
constexpr int32_t event_close_window = 16;  // object = window number
constexpr int32_t event_gadget_activity =
    13100;                                  // object = gadget number, type = notification code
constexpr int32_t event_menu = 13101;       // object = menu item / command
constexpr int32_t event_tray_icon = 13102;  // object = icon identifier, type 0..3
constexpr int32_t event_activate_window = 13104;
constexpr int32_t event_private_data = 13105;
constexpr int32_t event_private_value = 13106;  // object = wParam
constexpr int32_t event_minimise = 13107;
constexpr int32_t event_maximise = 13108;
constexpr int32_t event_restore = 13109;
constexpr int32_t event_timer = 13110;  // object = timer identifier

// Window-procedure messages of the toolkit.
constexpr uint32_t message_tray_icon = 12501;  // notification-area icon callback
constexpr uint32_t message_private_data =
    13105;  // lParam: EventMessageData* freed by the next wait
constexpr uint32_t message_private_value = 13106;  // wParam: object; lParam as 13105
constexpr uint32_t message_gadget = 13120;         // forwarded to the gadget named by lParam

// Record carried by the private messages 13105/13106; the next event_wait frees `buffer` (when
// set, with heap_free) and then the record itself (heap_free). Both must come from heap_alloc.
struct EventMessageData {
  uint32_t words[5];
  void* buffer;
};

// --- Event queue (per thread; internal to the toolkit and the gadget library). ---
using EventDataRelease = void (*)(void* data);

// Start-up step: registers the per-thread event queue and creates the calling thread's queue.
void events_init();
// Appends an event to the calling thread's queue. An event equal in event, object, window and
// type to the last queued one is not queued again (its data is released at once). A node that
// cannot be allocated drops the event (and releases its data).
void event_post(int32_t event, intptr_t object, intptr_t window, int32_t type, void* data = nullptr,
                EventDataRelease data_release = nullptr);
// Takes the first queued event: returns its number (0 when the queue is empty) and fills the
// out arguments that are not null. With no `data` out argument the event's data is released.
int32_t event_pop(intptr_t* object, intptr_t* window, int32_t* type, void** data,
                  EventDataRelease* data_release);
// Removes every queued event matching all four arguments (-1 matches anything); the data of
// removed events is released.
void event_purge(int32_t event, intptr_t object, intptr_t window, int32_t type);
// Removes every queued event of that window number.
void event_purge_window(intptr_t window);
// Number of events queued on the calling thread (tests and diagnostics).
int32_t event_queue_length();

#ifdef _WIN32

// --- Answer markers between the window procedure and the gadget kinds. ---
constexpr LRESULT kNotHandled = static_cast<LRESULT>(0xD0D0D0D1);  // use the default processing
constexpr LRESULT kCarryOn = static_cast<LRESULT>(0xE0E0E0E1);     // a hook asks to carry on

// --- Window flags (every other bit is a Win32 window style passed through). ---
constexpr uint32_t window_centre_screen = 0x1;
constexpr uint32_t window_centre_parent = 0x2;
constexpr uint32_t window_tool = 0x4;
constexpr uint32_t window_no_gadget_list = 0x8;
constexpr uint32_t window_hidden = 0x10000000;
constexpr int window_default_position = -65535;  // x or y: the system chooses the position

// --- Start-up and end steps. ---
void windows_init();  // windows table, current-event slice, class icon and cursor
void windows_end();   // closes every window still open

// Opens window `number` (closing an open window of that number first). x, y: outer top-left in
// screen pixels; width, height: client size. Title null counts as "". Returns the automatic
// number when number was -1, else the window handle; 0 on failure.
intptr_t window_open(intptr_t number, int x, int y, int width, int height, const char* title,
                     uint32_t flags, HWND parent = nullptr);
// Closes the window if it is open; any other number does nothing.
void window_close(intptr_t number);
// Handle of an open window, or nullptr.
HWND window_handle(intptr_t number);
// Window number of a toolkit window from its GX_WindowID property (number + 1); -1 when absent.
intptr_t window_number_of(HWND window);
// Adds an item below the standard items of the window's system menu; the first item added gets a
// separator above it. Choosing the item, or a WM_SYSCOMMAND with its id from any program, gives
// event_menu with the id as object. The id must lie below 0xF000 (the system's commands) with its
// low four bits clear (the system uses them in WM_SYSCOMMAND). Non-zero on success.
int32_t window_system_menu_add(intptr_t number, uint32_t id, const char* text);

// --- Waiting for events (calling thread). ---
int32_t event_wait();                            // no time limit
int32_t event_wait_timed(int32_t milliseconds);  // -1 = no limit, 0 = do not wait; 0 = no event
// Accessors of the last event that event_wait returned.
intptr_t event_gadget();  // object of the last event that carried one (gadget, item, window...)
intptr_t event_window();  // window number of the last event (-1 when it had none)
int32_t event_type();     // type of the last event (-1 for raw messages and most immediate ones)
void* event_data();       // data of the last queued event, valid until the next wait
WPARAM event_wparam();    // parameters of a raw message; 0 for queued events
LPARAM event_lparam();

// --- Window procedure. ---
LRESULT CALLBACK toolkit_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// Offers a control's message to its gadget kind; kNotHandled when no live gadget takes it.
LRESULT gadget_message_hook(HWND control, HWND parent, UINT message, WPARAM wparam, LPARAM lparam);

// --- Hooks of the gadget library (installed by its start-up step). Before installation the
// message hook answers kNotHandled and the list selection does nothing and returns nullptr. ---
using GadgetMessageHookFn = LRESULT (*)(HWND control, HWND parent, UINT message, WPARAM wparam,
                                        LPARAM lparam);
using GadgetListSelectFn = HWND (*)(HWND window);
void window_set_gadget_hooks(GadgetMessageHookFn message_hook, GadgetListSelectFn list_select);

#endif  // _WIN32
