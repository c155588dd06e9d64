// The event queue's real peer on Windows: the thread's own Win32 message queue.
#pragma once

// Posts `events` messages to the calling thread (PostMessageA without a window), in bursts of
// `burst`, each burst taken back with PeekMessageA and PM_REMOVE; the seconds it took. False
// where there is no Win32 message queue (host builds) or a post failed.
bool message_queue_seconds(int burst, int events, double* seconds);
