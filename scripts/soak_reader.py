#!/usr/bin/python3
"""Reads Vigilo's window through AT-SPI the way a screen reader reads it all:
every node's role, name and state, and the text of every node that has text.

    soak_reader.py enable        asks the accessibility bus to switch on, as a
                                 screen reader does when it starts
    soak_reader.py listen        switches the bus on without announcing a
                                 screen reader, as an on-screen keyboard or
                                 a test tool does
    soak_reader.py screen-reader on|off
                                 announces a screen reader starting or ending
    soak_reader.py read MARKER   reads the tree once and prints one line:
        nodes=N web_nodes=N text_chars=N page_readable=yes|no
        start_named=yes|no seconds=S
    page_readable: the text of the pane's document holds MARKER;
    start_named: a push button is named "Start" or "Stop".
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

MAX_NODES = 200000


def find_vigilo():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and (app.get_name() or "").lower() == "vigilo":
            return app
    return None


def text_of(node):
    if "Text" not in node.get_interfaces():
        return ""
    count = Atspi.Text.get_character_count(node)
    return Atspi.Text.get_text(node, 0, count) if count > 0 else ""


def read(marker):
    started = time.monotonic()
    app = find_vigilo()
    if app is None:
        print("nodes=0 web_nodes=0 text_chars=0 page_readable=no start_named=no seconds=0")
        return 1
    nodes = web_nodes = chars = 0
    page_text = []
    start_named = False
    # Depth first, each node's subtree flagged by whether it lies in a web
    # document.
    stack = [(app, False)]
    while stack and nodes < MAX_NODES:
        node, in_web = stack.pop()
        try:
            role = node.get_role()
            name = node.get_name() or ""
            node.get_state_set()
            count = node.get_child_count()
        except gi.repository.GLib.Error:
            continue  # the node went away while being read
        nodes += 1
        in_web = in_web or role == Atspi.Role.DOCUMENT_WEB
        if in_web:
            web_nodes += 1
        if role == Atspi.Role.PUSH_BUTTON and name in ("Start", "Stop"):
            start_named = True
        try:
            text = text_of(node)
        except gi.repository.GLib.Error:
            text = ""
        chars += len(text)
        if in_web:
            page_text.append(name)
            page_text.append(text)
        for i in reversed(range(count)):
            try:
                child = node.get_child_at_index(i)
            except gi.repository.GLib.Error:
                child = None
            if child is not None:
                stack.append((child, in_web))
    readable = marker in " ".join(page_text)
    print(f"nodes={nodes} web_nodes={web_nodes} text_chars={chars} "
          f"page_readable={'yes' if readable else 'no'} "
          f"start_named={'yes' if start_named else 'no'} "
          f"seconds={time.monotonic() - started:.1f}", flush=True)
    return 0


def set_status(**values):
    from gi.repository import Gio, GLib
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    for prop, value in values.items():
        session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties",
                          "Set", GLib.Variant("(ssv)", ("org.a11y.Status", prop,
                                                        GLib.Variant("b", value))),
                          None, Gio.DBusCallFlags.NONE, -1, None)
    return 0


def main(argv):
    if len(argv) >= 2 and argv[1] == "enable":
        return set_status(IsEnabled=True, ScreenReaderEnabled=True)
    if len(argv) >= 2 and argv[1] == "listen":
        return set_status(IsEnabled=True)
    if len(argv) >= 3 and argv[1] == "screen-reader" and argv[2] in ("on", "off"):
        return set_status(ScreenReaderEnabled=argv[2] == "on")
    if len(argv) >= 3 and argv[1] == "read":
        Atspi.init()
        return read(argv[2])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
