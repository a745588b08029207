#!/usr/bin/python3
"""Floods one address with datagrams as fast as this host can send them. Runs inside a lab
host (bench/lab_messung.py starts it there); never anywhere else.

  flut_senden.py ZIEL flut SEKUNDEN   both ports, valid and garbage mixed, for that long
  flut_senden.py ZIEL macs N          N presence datagrams, each with a hardware address of
                                      its own, once, as fast as possible

The flood goes round a cycle of ten datagrams: to the presence port four presence
announcements with made-up hardware addresses (each one new), one with names of 8 000
characters (also a new address), one of random bytes; to the command port two of random
bytes, one schedule request ("zsanfordern", which the target answers) and one unknown word.
No power command is ever sent. Prints one JSON line at the end: datagrams sent, per port,
send errors, seconds.
"""
import json
import os
import random
import socket
import sys
import time

PRAESENZ = 17171
BEFEHL = 17170


def mac(n):
    return "02-%02X-%02X-%02X-%02X-%02X" % (0xF0 | (n >> 32) & 0x0F, (n >> 24) & 255, (n >> 16) & 255,
                                            (n >> 8) & 255, n & 255)


def praesenz(n, lang=False):
    name = f"flut{n}-" + "x" * 8000 if lang else f"flut{n}"
    return f"VTR1|1|{name}|nutzer{n}|{mac(n)}|1".encode()


def main():
    ziel, art, menge = sys.argv[1], sys.argv[2], sys.argv[3]
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 4 << 20)
    p, b = (ziel, PRAESENZ), (ziel, BEFEHL)
    gesendet = {PRAESENZ: 0, BEFEHL: 0}
    fehler = 0
    anfang = time.monotonic()
    if art == "macs":
        for n in range(int(menge)):
            try:
                s.sendto(praesenz(n), p)
                gesendet[PRAESENZ] += 1
            except OSError:
                fehler += 1
    else:
        ende = anfang + float(menge)
        zufall = random.Random(17)
        muell = [bytes(zufall.getrandbits(8) for _ in range(zufall.randint(1, 1400))) for _ in range(64)]
        n = 0
        while time.monotonic() < ende:
            for _ in range(20):
                zyklus = [(praesenz(n), p), (praesenz(n + 1), p), (praesenz(n + 2), p), (praesenz(n + 3), p),
                          (praesenz(n + 4, lang=True), p), (muell[n % 64], p), (muell[(n + 7) % 64], b),
                          (muell[(n + 13) % 64], b), (b"VTR1|zsanfordern", b), (b"VTR1|unbekannt|%d" % n, b)]
                n += 5
                for daten, adresse in zyklus:
                    try:
                        s.sendto(daten, adresse)
                        gesendet[adresse[1]] += 1
                    except OSError:
                        fehler += 1
    print(json.dumps({"gesendet": sum(gesendet.values()), "praesenz": gesendet[PRAESENZ],
                      "befehl": gesendet[BEFEHL], "fehler": fehler,
                      "sekunden": round(time.monotonic() - anfang, 2)}), flush=True)


def nur_im_labor():
    """A lab host has no default route: with one, this could reach a real network."""
    with open("/proc/net/route") as f:
        if any(z.split()[1] == "00000000" for z in f.readlines()[1:] if len(z.split()) > 1):
            sys.exit("flut_senden.py: a default route exists; this is no lab host, refusing to send")


if __name__ == "__main__":
    nur_im_labor()
    main()
