#!/usr/bin/env python3
"""A file manager for the end-to-end tests: owns org.freedesktop.FileManager1 on the session bus
and appends every URI it is asked to show, one per line, to the file named by its argument."""

import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.FileManager1"


class FileManager(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, "/org/freedesktop/FileManager1")
        self.record = record

    @dbus.service.method(NAME, in_signature="ass", out_signature="")
    def ShowItems(self, uris, startup_id):
        with open(self.record, "a", encoding="utf-8") as out:
            for uri in uris:
                out.write(str(uri) + "\n")


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    keep = dbus.service.BusName(NAME, bus, do_not_queue=True)
    service = FileManager(bus, sys.argv[1])
    print("fakefilemanager: ready", flush=True)
    GLib.MainLoop().run()
    del keep, service


if __name__ == "__main__":
    main()
