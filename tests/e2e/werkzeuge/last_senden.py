#!/usr/bin/python3
"""Sends datagrams of many simulated peers at a steady rate, for load and fault tests.

Runs in the test's own network namespace and opens one socket per peer inside that peer's
lab host (setns into /run/netns/<ns>), so every peer sends from its own host: its own
address, its own hardware address on the wire. A peer may also bind a further address of
its host (Host.add_address) to share one host with other peers.

Reads one JSON object on stdin:
  {"ziel": "10.77.0.1", "port": 17171, "takt_ms": 200, "dauer": 60,
   "peers": [{"netns": "/run/netns/...", "von": "10.77.0.7" or null, "nutzlasten": [hex, ...],
              "start_ms": 0}]}
Each peer sends every takt_ms, going round its payloads (one after the other, so a peer with
two payloads alternates), from start_ms after the beginning on (peers may join one after the
other); the peers are spread evenly over the period. Prints {"bereit": true}
once every socket is open, and at the end (after dauer seconds or on SIGTERM) one line
{"gesendet": n, "fehler_anzahl": k, "fehler": [first few], "verspaetung_max_ms": x, "sekunden": s}.
"""
import ctypes
import json
import os
import signal
import socket
import sys
import time

CLONE_NEWNET = 0x40000000
_libc = ctypes.CDLL("libc.so.6", use_errno=True)


def setns(fd):
    if _libc.setns(fd, CLONE_NEWNET) != 0:
        fehler = ctypes.get_errno()
        raise OSError(fehler, os.strerror(fehler))


def sockets_oeffnen(peers):
    eigenes = os.open("/proc/self/ns/net", os.O_RDONLY)
    offen = {}
    ergebnis = []
    try:
        for p in peers:
            ns = p.get("netns")
            if ns:
                if ns not in offen:
                    offen[ns] = os.open(ns, os.O_RDONLY)
                setns(offen[ns])
            s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
            if p.get("von"):
                s.bind((p["von"], 0))
            s.setblocking(False)
            ergebnis.append(s)
            setns(eigenes)
    finally:
        setns(eigenes)
        for fd in offen.values():
            os.close(fd)
        os.close(eigenes)
    return ergebnis


class Ende(Exception):
    pass


def main():
    auftrag = json.loads(sys.stdin.readline())
    peers = auftrag["peers"]
    ziel = (auftrag["ziel"], int(auftrag["port"]))
    takt = float(auftrag["takt_ms"]) / 1000.0
    dauer = float(auftrag["dauer"])
    nutzlasten = [[bytes.fromhex(x) for x in p["nutzlasten"]] for p in peers]
    starts = [float(p.get("start_ms") or 0) / 1000.0 for p in peers]
    sockets = sockets_oeffnen(peers)

    def beenden(*_):
        raise Ende()
    signal.signal(signal.SIGTERM, beenden)
    print(json.dumps({"bereit": True}), flush=True)

    n = len(peers)
    schritt = takt / n
    gesendet, fehler, fehler_anzahl, spaet = 0, [], 0, 0.0
    runde = [0] * n
    anfang = time.monotonic()
    k = 0
    try:
        while True:
            faellig = anfang + k * schritt
            if faellig - anfang >= dauer:
                break
            jetzt = time.monotonic()
            if faellig > jetzt:
                time.sleep(faellig - jetzt)
            else:
                spaet = max(spaet, jetzt - faellig)
            i = k % n
            k += 1
            if faellig - anfang < starts[i]:
                continue
            daten = nutzlasten[i][runde[i] % len(nutzlasten[i])]
            runde[i] += 1
            try:
                sockets[i].sendto(daten, ziel)
                gesendet += 1
            except OSError as e:
                fehler_anzahl += 1
                if len(fehler) < 20:
                    fehler.append(f"peer {i}: {e}")
    except Ende:
        pass
    print(json.dumps({"gesendet": gesendet, "fehler_anzahl": fehler_anzahl, "fehler": fehler,
                      "verspaetung_max_ms": round(spaet * 1000, 1), "sekunden": round(time.monotonic() - anfang, 2)}),
          flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
