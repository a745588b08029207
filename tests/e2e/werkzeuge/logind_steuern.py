#!/usr/bin/python3
"""Talks to the stand-in logind (python3-dbusmock's logind template) on a private bus.

DBUS_SYSTEM_BUS_ADDRESS names the bus. Commands:
  warten SEKUNDEN      wait until org.freedesktop.login1 is on the bus
  schlaf 1|0           emit PrepareForSleep(true/false)
  aufrufe              print every call so far as JSON [[zeit, methode, [argumente]], ...]
  sperren              print the held inhibitors as JSON [[what, who, why, mode, uid, pid], ...]
"""
import json
import sys
import time

import dbus

NAME = "org.freedesktop.login1"
PFAD = "/org/freedesktop/login1"
MOCK = "org.freedesktop.DBus.Mock"


def einfach(wert):
    if isinstance(wert, (dbus.Array, dbus.Struct, list, tuple)):
        return [einfach(x) for x in wert]
    if isinstance(wert, dbus.Boolean):
        return bool(wert)
    if isinstance(wert, (dbus.String, dbus.ObjectPath)):
        return str(wert)
    if isinstance(wert, (int, float)):
        return wert
    return str(wert)


def main():
    bus = dbus.SystemBus()
    befehl = sys.argv[1]
    if befehl == "warten":
        ende = time.monotonic() + float(sys.argv[2])
        while not bus.name_has_owner(NAME):
            if time.monotonic() > ende:
                return 1
            time.sleep(0.05)
        return 0
    objekt = bus.get_object(NAME, PFAD)
    if befehl == "schlaf":
        objekt.EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                          [dbus.Boolean(sys.argv[2] == "1")], dbus_interface=MOCK)
    elif befehl == "aufrufe":
        print(json.dumps(einfach(objekt.GetCalls(dbus_interface=MOCK))))
    elif befehl == "sperren":
        print(json.dumps(einfach(objekt.ListInhibitors(dbus_interface="org.freedesktop.login1.Manager"))))
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
