"""Datagrams on the lab network: senders and listeners that run inside lab hosts."""

import contextlib
import json
import os
import re
import signal
import subprocess
import tempfile
import threading

from grundlagen import PYTHON, WERKZEUGE, HostProcess


class Datagram:
    __slots__ = ("time", "src", "src_port", "dst", "dst_port", "payload", "src_mac", "dst_mac", "outgoing")

    def __init__(self, d):
        self.time = d["zeit"]
        self.src = d["von"]
        self.src_port = d["von_port"]
        self.dst = d.get("an")
        self.dst_port = d.get("an_port")
        self.payload = bytes.fromhex(d["daten_hex"])
        self.src_mac = d.get("mac_von")
        self.dst_mac = d.get("mac_an")
        self.outgoing = d.get("ausgehend", False)

    @property
    def text(self):
        return self.payload.decode("utf-8", "replace")

    def __repr__(self):
        return (f"Datagram({self.src}:{self.src_port} -> {self.dst}:{self.dst_port}, "
                f"{self.payload[:60]!r}{'...' if len(self.payload) > 60 else ''})")


class UdpListener:
    """Records every datagram to a port in a host; raw=True captures frames on the wire."""

    def __init__(self, host, port, raw=False, address="0.0.0.0", interface="eth0"):
        argv = [PYTHON, os.path.join(WERKZEUGE, "udp_lauschen.py"), "--port", str(port)]
        argv += ["--roh", "--schnittstelle", interface] if raw else ["--adresse", address]
        self._prozess = HostProcess(host, argv, host.environment(), host.log_file("lauschen"), stdout_pipe=True)
        self._liste = []
        self._sperre = threading.Condition()
        self._bereit = False
        self._faden = threading.Thread(target=self._lesen, daemon=True)
        self._faden.start()
        with self._sperre:
            if not self._sperre.wait_for(lambda: self._bereit or not self._prozess.running(), 10):
                raise AssertionError("the UDP listener did not start")
        if not self._bereit:
            raise AssertionError(f"the UDP listener ended: {self._prozess.log()}")
        host.lab._verwalten(self)

    def _lesen(self):
        for zeile in self._prozess.proc.stdout:
            try:
                d = json.loads(zeile)
            except ValueError:
                continue
            with self._sperre:
                if d.get("bereit"):
                    self._bereit = True
                else:
                    self._liste.append(Datagram(d))
                self._sperre.notify_all()
        with self._sperre:
            self._sperre.notify_all()

    @property
    def datagrams(self):
        with self._sperre:
            return list(self._liste)

    def clear(self):
        with self._sperre:
            self._liste.clear()

    def wait_for(self, pred=None, count=1, timeout=10.0):
        """Waits until count recorded datagrams satisfy pred; returns them."""
        pred = pred or (lambda d: True)
        with self._sperre:
            ok = self._sperre.wait_for(lambda: len([d for d in self._liste if pred(d)]) >= count, timeout)
            passend = [d for d in self._liste if pred(d)]
        if not ok:
            raise AssertionError(f"expected {count} matching datagrams within {timeout} s, got {len(passend)}: "
                                 f"{passend[:5]}")
        return passend

    def close(self):
        self._prozess.stop(2)
        self._faden.join(5)
        self._prozess._schliessen()

    _schliessen = close


def listen_udp(host, port, raw=False, address="0.0.0.0"):
    """Starts recording datagrams to port in host; see UdpListener."""
    return UdpListener(host, port, raw, address)


def send_udp(from_host, to_ip, port, payload, src_port=None, src_ip=None):
    """Sends one datagram from a lab host (payload: bytes or str, str goes as UTF-8)."""
    return send_udp_batch(from_host, [dict(to_ip=to_ip, port=port, payload=payload, src_port=src_port,
                                           src_ip=src_ip)])


def send_udp_batch(from_host, datagrams):
    """Sends many datagrams in one process: dicts with to_ip, port, payload and optionally
    src_ip (an address of the host, see Host.add_address), src_port, pause_ms. Returns the
    number sent; raises when any send failed."""
    zeilen = []
    for d in datagrams:
        daten = d["payload"].encode() if isinstance(d["payload"], str) else bytes(d["payload"])
        zeilen.append(json.dumps({"an": d["to_ip"], "port": d["port"], "daten_hex": daten.hex(),
                                  "von": d.get("src_ip"), "von_port": d.get("src_port"),
                                  "pause_ms": d.get("pause_ms")}))
    r = from_host.run([PYTHON, os.path.join(WERKZEUGE, "udp_senden.py"), "--stdin"],
                      input="\n".join(zeilen) + "\n", timeout=120)
    try:
        ergebnis = json.loads(r.stdout.strip().splitlines()[-1])
    except (ValueError, IndexError):
        raise AssertionError(f"udp_senden failed: {r.stdout} {r.stderr}")
    if ergebnis["fehler"]:
        raise AssertionError(f"sending failed: {ergebnis['fehler'][:5]}")
    return ergebnis["gesendet"]


def magic_packet(mac):
    """The Wake-on-LAN packet for a hardware address in any common text form."""
    roh = bytes.fromhex(re.sub(r"[^0-9A-Fa-f]", "", mac))
    assert len(roh) == 6, mac
    return b"\xff" * 6 + roh * 16


# --- Load: many peers at a steady rate ----------------------------------------------------------


class LoadSender:
    """Many simulated peers sending at a steady rate for a while (werkzeuge/last_senden.py).

    peers: dicts with host (a lab Host: the datagrams leave from its namespace and address),
    optionally src_ip (a further address of that host, see Host.add_address), payloads
    (str or bytes; a peer goes round them, so two payloads alternate) and start_ms (the peer
    joins that long after the beginning). Every peer sends every
    period_ms; the peers are spread evenly over the period. The sender runs in the test's own
    network namespace and opens each socket inside its peer's host. Stopped with the lab."""

    def __init__(self, lab, peers, to_ip, port, period_ms, seconds):
        auftrag = {"ziel": to_ip, "port": port, "takt_ms": period_ms, "dauer": seconds, "peers": [
            {"netns": os.path.join("/run/netns", p["host"].ns), "von": p.get("src_ip"),
             "nutzlasten": [(x.encode() if isinstance(x, str) else bytes(x)).hex() for x in p["payloads"]],
             "start_ms": p.get("start_ms", 0)}
            for p in peers]}
        self.result = None
        self._log = tempfile.TemporaryFile()
        self.proc = subprocess.Popen([PYTHON, os.path.join(WERKZEUGE, "last_senden.py")], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self._log, text=True)
        self.proc.stdin.write(json.dumps(auftrag) + "\n")
        self.proc.stdin.close()
        lab._verwalten(self)
        zeile = self.proc.stdout.readline()
        if not zeile or not json.loads(zeile).get("bereit"):
            self._schliessen()
            raise AssertionError(f"the load sender did not start: {zeile!r} {self.errors()}")

    def running(self):
        return self.proc.poll() is None

    def wait(self, timeout=None):
        """Waits for the end; returns {"gesendet", "fehler_anzahl", "fehler", "verspaetung_max_ms",
        "sekunden"}."""
        if self.result is None:
            self.proc.wait(timeout)  # a few lines of output: the pipe never fills
            ausgabe = self.proc.stdout.read()
            self.proc.stdout.close()
            zeilen = [z for z in ausgabe.splitlines() if z.strip()]
            self.result = json.loads(zeilen[-1]) if zeilen else {}
        return self.result

    def stop(self):
        if self.running():
            self.proc.send_signal(signal.SIGTERM)
        return self.wait(10)

    def errors(self):
        """What the sender wrote to stderr."""
        self._log.seek(0)
        return self._log.read().decode("utf-8", "replace")

    def _schliessen(self):
        with contextlib.suppress(Exception):
            if self.running():
                self.proc.kill()
            self.proc.wait(5)
            self.proc.stdout.close()
        self._log.close()
