#!/usr/bin/python3
"""Sends UDP datagrams from inside a lab host (started there with ip netns exec).

One datagram from the arguments, or many: one JSON object per line on stdin with the keys
an, port, daten_hex and optionally von (source address, must be one of the host's),
von_port and pause_ms. Prints one JSON line: {"gesendet": n, "fehler": [...]}.
"""
import argparse
import json
import socket
import sys
import time


def senden(sockets, d):
    schluessel = (d.get("von") or "", int(d.get("von_port") or 0))
    s = sockets.get(schluessel)
    if s is None:
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        if schluessel != ("", 0):
            s.bind(schluessel)
        sockets[schluessel] = s
    s.sendto(bytes.fromhex(d["daten_hex"]), (d["an"], int(d["port"])))


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--an")
    p.add_argument("--port", type=int)
    p.add_argument("--von")
    p.add_argument("--von-port", type=int)
    p.add_argument("--hex", default="")
    p.add_argument("--stdin", action="store_true")
    a = p.parse_args()
    if a.stdin:
        auftraege = (json.loads(z) for z in sys.stdin if z.strip())
    else:
        auftraege = [{"an": a.an, "port": a.port, "von": a.von, "von_port": a.von_port, "daten_hex": a.hex}]
    sockets, gesendet, fehler = {}, 0, []
    for d in auftraege:
        try:
            senden(sockets, d)
            gesendet += 1
        except (OSError, ValueError, KeyError) as e:
            fehler.append(f"{d.get('von')}:{d.get('von_port')} -> {d.get('an')}:{d.get('port')}: {e}")
        if d.get("pause_ms"):
            time.sleep(float(d["pause_ms"]) / 1000)
    print(json.dumps({"gesendet": gesendet, "fehler": fehler}), flush=True)
    return 0 if not fehler else 1


if __name__ == "__main__":
    sys.exit(main())
