#!/usr/bin/python3
"""Records UDP datagrams inside a lab host (started there with ip netns exec).

Default: a UDP socket bound to the port (broadcasts included). With --roh: a packet socket
on the interface that sees every IPv4/UDP frame on the wire, in both directions, whatever
sockets are bound, with the Ethernet addresses. Prints {"bereit": true} once listening, then
one JSON line per datagram. Ends on SIGTERM or when stdout closes.
"""
import argparse
import json
import signal
import socket
import struct
import sys
import time

ETH_P_ALL = 0x0003
PACKET_OUTGOING = 4


def ausgeben(eintrag):
    try:
        print(json.dumps(eintrag), flush=True)
    except BrokenPipeError:
        sys.exit(0)


def mac_text(b):
    return ":".join("%02x" % x for x in b)


def udp_lauschen(port, adresse):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    s.bind((adresse, port))
    ausgeben({"bereit": True})
    while True:
        daten, (von, von_port) = s.recvfrom(65535)
        ausgeben({"zeit": time.time(), "von": von, "von_port": von_port, "an": None, "an_port": port,
                  "daten_hex": daten.hex()})


def roh_lauschen(port, schnittstelle):
    s = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(ETH_P_ALL))
    s.bind((schnittstelle, 0))
    ausgeben({"bereit": True})
    while True:
        rahmen, info = s.recvfrom(65535)
        zeit = time.time()
        if len(rahmen) < 14 + 20 + 8 or rahmen[12:14] != b"\x08\x00":
            continue
        ip = rahmen[14:]
        kopf = (ip[0] & 0x0F) * 4
        if ip[0] >> 4 != 4 or ip[9] != 17 or len(ip) < kopf + 8:
            continue
        gesamt = struct.unpack("!H", ip[2:4])[0]
        von_port, an_port, udp_laenge = struct.unpack("!HHH", ip[kopf:kopf + 6])
        if port and an_port != port:
            continue
        nutzlast = ip[kopf + 8:min(gesamt, kopf + udp_laenge)]
        ausgeben({"zeit": zeit, "von": socket.inet_ntoa(ip[12:16]), "von_port": von_port,
                  "an": socket.inet_ntoa(ip[16:20]), "an_port": an_port, "daten_hex": nutzlast.hex(),
                  "mac_von": mac_text(rahmen[6:12]), "mac_an": mac_text(rahmen[0:6]),
                  "ausgehend": info[2] == PACKET_OUTGOING})


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--port", type=int, required=True, help="UDP port; with --roh 0 means every port")
    p.add_argument("--adresse", default="0.0.0.0")
    p.add_argument("--roh", action="store_true")
    p.add_argument("--schnittstelle", default="eth0")
    a = p.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    if a.roh:
        roh_lauschen(a.port, a.schnittstelle)
    else:
        udp_lauschen(a.port, a.adresse)


if __name__ == "__main__":
    main()
