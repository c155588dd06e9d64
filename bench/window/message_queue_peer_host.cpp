// Host builds have no Win32 message queue: the peer's row is left out.
#include "message_queue_peer.h"

bool message_queue_seconds(int, int, double*) { return false; }
