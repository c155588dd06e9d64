#!/usr/bin/python3
"""Drops files on an X window the way a Linux file manager does: the XDND protocol, offering
the files as text/uri-list. Used to drop files on a Windows program under Wine without writing
into its memory.

usage: xdnd_drop.py <target window id> <root x> <root y> <unix path>...
Exits 0 once the target has said the drop is finished, 1 when it refused or did not answer."""

import sys
import time
import urllib.parse

from Xlib import X, Xatom, display
from Xlib.protocol import event

LIMIT_SECONDS = 240  # an emulated target answers slowly


def main():
    target_id, x, y = int(sys.argv[1], 0), int(sys.argv[2]), int(sys.argv[3])
    uris = "".join("file://" + urllib.parse.quote(path) + "\r\n" for path in sys.argv[4:])
    d = display.Display()
    atom = lambda name: d.intern_atom(name)
    uri_list = atom("text/uri-list")
    source = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    target = d.create_resource_object("window", target_id)
    source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)

    aware = target.get_full_property(atom("XdndAware"), Xatom.ATOM)
    version = min(5, aware.value[0]) if aware and len(aware.value) else 5

    def send(name, data):
        message = event.ClientMessage(window=target, client_type=atom(name),
                                      data=(32, [source.id] + data))
        target.send_event(message, event_mask=0)
        d.flush()

    def serve(request):
        # The target asks for the files; anything but the uri list is refused.
        prop = request.property or request.target
        if request.target == uri_list:
            request.requestor.change_property(prop, uri_list, 8, uris.encode())
        else:
            prop = X.NONE
        reply = event.SelectionNotify(time=request.time, requestor=request.requestor,
                                      selection=request.selection, target=request.target,
                                      property=prop)
        request.requestor.send_event(reply, event_mask=0)
        d.flush()

    def wait_for(name):
        wanted = atom(name)
        end = time.monotonic() + LIMIT_SECONDS
        while time.monotonic() < end:
            while d.pending_events():
                e = d.next_event()
                if e.type == X.SelectionRequest:
                    serve(e)
                elif e.type == X.ClientMessage and e.client_type == wanted:
                    return e.data[1]
            time.sleep(0.02)
        return None

    send("XdndEnter", [version << 24, uri_list, 0, 0])
    send("XdndPosition", [0, (x << 16) | y, X.CurrentTime, atom("XdndActionCopy")])
    status = wait_for("XdndStatus")
    if status is None or not status[1] & 1:
        send("XdndLeave", [0, 0, 0, 0])
        print("the target did not accept the drop", file=sys.stderr)
        return 1
    send("XdndDrop", [0, X.CurrentTime, 0, 0])
    if wait_for("XdndFinished") is None:
        print("the target did not finish the drop", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
