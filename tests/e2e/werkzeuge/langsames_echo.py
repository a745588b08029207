#!/usr/bin/python3
"""Answers ICMP echo requests late, as a power-saving Wi-Fi peer does (this kernel has no
netem). Run inside a lab host whose own echo replies are switched off
(net.ipv4.icmp_echo_ignore_all=1): every request to one of the host's addresses gets its
reply after a random delay between --von and --bis milliseconds. Prints {"bereit": true}
once listening. Ends on SIGTERM.
"""
import argparse
import heapq
import json
import random
import select
import socket
import struct
import time


def pruefsumme(daten):
    if len(daten) % 2:
        daten += b"\0"
    summe = sum(struct.unpack(f"!{len(daten) // 2}H", daten))
    while summe >> 16:
        summe = (summe & 0xFFFF) + (summe >> 16)
    return ~summe & 0xFFFF


def antwort(icmp):
    """The echo reply to an echo request: type 0, the same identifier, sequence and data."""
    ohne = b"\0\0\0\0" + icmp[4:]
    return b"\0\0" + struct.pack("!H", pruefsumme(ohne)) + icmp[4:]


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--von", type=int, default=100)
    p.add_argument("--bis", type=int, default=200)
    a = p.parse_args()
    s = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_ICMP)
    print(json.dumps({"bereit": True}), flush=True)
    faellig = []  # (time, sequence, address, reply)
    folge = 0
    while True:
        warten = max(0.0, faellig[0][0] - time.monotonic()) if faellig else None
        if select.select([s], [], [], warten)[0]:
            paket, (von, _) = s.recvfrom(65535)
            kopf = (paket[0] & 0x0F) * 4
            icmp = paket[kopf:]
            if len(icmp) >= 8 and icmp[0] == 8 and icmp[1] == 0:
                folge += 1
                verzug = random.uniform(a.von, a.bis) / 1000.0
                heapq.heappush(faellig, (time.monotonic() + verzug, folge, von, antwort(icmp)))
        while faellig and faellig[0][0] <= time.monotonic():
            _, _, an, daten = heapq.heappop(faellig)
            s.sendto(daten, (an, 0))


if __name__ == "__main__":
    main()
