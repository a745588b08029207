#!/usr/bin/python3
"""Load: 200 peers announce themselves ten times as often as usual (every 200 ms each, 1 000
datagrams/s) for 60 s while the probe runs and, in the middle, a sweep of the subnet (ticked
with Alt+S under Xvfb). Throughout, the instance answers its local socket within a second,
lists every peer exactly once, and every read of Hostliste.txt finds a whole file. The peers
join one after the other over the first 10 s (20 new peers a second).

Each simulated peer is a silent lab host of its own (own address, own hardware address, it
answers the probe); one process sends for all of them. The datagrams go to the instance's
address rather than to the broadcast address: a broadcast would be copied to all 200 hosts
by the lab's bridge, a load on the machine and not on the program. The receiving path is the
same. One more silent host, listed in the file but not announcing, shows the probe at work:
its link goes down and up during the load."""
import hashlib
import os
import re
import subprocess
import threading
import time
import unittest

import lab
from bedienung import Bedienung
from lab import Lab, wait_until

PEERS = 200
TAKT_MS = 200
DAUER = 60.0
ANLAUF_MS = 50  # peer i joins i * 50 ms after the beginning
# Ten peers change their user name every 5 s: saves go on during the whole run.
WECHSLER = range(0, PEERS, 20)
MAC_MUSTER = re.compile(rb"^02-77-00-00-0[0-9A-F]-[0-9A-F]{2}$")


def nutzlasten(i, host):
    text = f"VTR1|1|last{i:03d}|%s|{host.mac}|1"
    if i in WECHSLER:
        return [text % f"nutzer{i:03d}a"] * 25 + [text % f"nutzer{i:03d}b"] * 25
    return [text % f"nutzer{i:03d}"]


def hostliste_pruefen(daten):
    """None when the bytes are a whole host list file, else what is wrong."""
    if not daten:
        return "empty"
    if not daten.endswith(b"\r\n"):
        return f"no CR LF at the end: {daten[-40:]!r}"
    zeilen = daten[:-2].split(b"\r\n")
    macs = set()
    for z in zeilen:
        if b"\r" in z or b"\n" in z:
            return f"a stray line break in {z!r}"
        felder = z.split(b"|")
        if len(felder) != 4 or not all(f.strip() for f in felder):
            return f"not four fields: {z!r}"
        if not MAC_MUSTER.match(felder[3]):
            return f"a broken hardware address: {z!r}"
        if felder[3] in macs:
            return f"a hardware address twice: {z!r}"
        macs.add(felder[3])
    return None


class Dateileser(threading.Thread):
    """Reads Hostliste.txt in a tight loop and checks every read."""

    def __init__(self, pfad):
        super().__init__(daemon=True)
        self.pfad = pfad
        self.ende = threading.Event()
        self.lesungen = 0
        self.fassungen = set()
        self.fehler = []
        self.zeilen_max = 0

    def run(self):
        gesehen = False
        while not self.ende.is_set():
            try:
                with open(self.pfad, "rb") as f:
                    daten = f.read()
            except FileNotFoundError:
                if gesehen:
                    self.fehler.append("the file was missing")
                continue
            gesehen = True
            self.lesungen += 1
            fehler = hostliste_pruefen(daten)
            zeilen = daten.count(b"\r\n")
            # Entries are never removed here: a read with fewer lines than an earlier one
            # would be an old or a partial list.
            if fehler is None and zeilen < self.zeilen_max:
                fehler = f"{zeilen} lines after {self.zeilen_max}"
            if fehler:
                self.fehler.append(fehler)
            self.zeilen_max = max(self.zeilen_max, zeilen)
            self.fassungen.add(hashlib.blake2b(daten, digest_size=8).digest())


class Antwortzeiten(threading.Thread):
    """Asks the instance for 1224 and `zustand` about once a second, on a thread of its own
    (whatever else the test does meanwhile), and keeps every answer time."""

    def __init__(self, v):
        super().__init__(daemon=True)
        self.v = v
        self.anfang = time.monotonic()
        self.ende = threading.Event()
        self.proben = []  # (seconds since the start, request, answer time)
        self.ausfaelle = []

    def run(self):
        while not self.ende.is_set():
            schritt = time.monotonic()
            for art in ("1224", "zustand"):
                t = time.monotonic()
                try:
                    ok = self.v.send_message(lab.NACHRICHT_ZEIGEN) if art == "1224" else bool(self.v.zustand())
                except lab.InstanceSocketError as e:
                    ok, fehler = False, str(e)
                else:
                    fehler = "no answer"
                self.proben.append((t - self.anfang, art, time.monotonic() - t))
                if not ok:
                    self.ausfaelle.append(f"{art} at {t - self.anfang:.1f} s: {fehler}")
            self.ende.wait(max(0.0, 1.0 - (time.monotonic() - schritt)))

    def anhalten(self):
        self.ende.set()
        self.join(10)

    def langsamste(self, art=None, n=1):
        return sorted((p for p in self.proben if art in (None, p[1])), key=lambda p: -p[2])[:n]

    def text(self):
        a, z = self.langsamste("1224")[0], self.langsamste("zustand")[0]
        return (f"slowest answer to 1224 {a[2] * 1000:.0f} ms (at {a[0]:.1f} s), to zustand {z[2] * 1000:.0f} ms "
                f"(at {z[0]:.1f} s), {len(self.proben)} requests")


class Sondenbeobachter:
    """Takes a listed, silent host away and back and notes when the view follows."""

    def __init__(self, v, host):
        self.v, self.host = v, host
        self.weg = self.zurueck = None
        self.offline_nach = self.online_nach = None
        self.sonde = []  # (seconds since the link went down, probe state) for the report
        self.befund = None  # what the system itself says when the probe is late

    def schritt(self):
        if self.weg is not None:
            self.sonde.append((round(time.monotonic() - self.weg), self.v.zustand().get("sonde")))
            if self.offline_nach is None and self.befund is None and time.monotonic() - self.weg > 8:
                self.befund = self.pruefen()
        zeile = next((z for z in self.v.ansicht() if z[5] == self.host.mac), None)
        if self.weg is None:
            self.host.link(False)
            self.weg = time.monotonic()
        elif self.offline_nach is None and zeile and zeile[2] == "Offline":
            self.offline_nach = time.monotonic() - self.weg
            self.host.link(True)
            self.zurueck = time.monotonic()
        elif self.zurueck and self.online_nach is None and zeile and zeile[2] == "Online":
            self.online_nach = time.monotonic() - self.zurueck

    def pruefen(self):
        def lauf(argv):
            try:
                r = subprocess.run(argv, capture_output=True, text=True, timeout=10)
            except (OSError, subprocess.SubprocessError) as e:
                return f"$ {' '.join(argv[-4:])}: {e}"
            return f"$ {' '.join(argv[-4:])}: {r.returncode} {r.stdout.strip()} {r.stderr.strip()}"
        ns = self.v.host.ns
        empfang = [self.v.zustand().get("empfang")]
        time.sleep(1)
        empfang.append(self.v.zustand().get("empfang"))
        return [f"reception (read, continuation queued, waiting) a second apart: {empfang}",
                lauf(["ip", "-n", self.host.ns, "-br", "link", "show", "eth0"]),
                lauf(["ip", "-n", ns, "neigh", "show", self.host.ip]),
                lauf(["ip", "netns", "exec", ns, "ping", "-c", "1", "-W", "1", self.host.ip]),
                f"view row: {next((z for z in self.v.ansicht() if z[5] == self.host.mac), None)}",
                f"store: {(lambda l: l[:1] + [z for z in l[1:] if self.host.mac in z])(self.v.query('liste'))}"]

    def text(self):
        return (f"listed host Offline {self.offline_nach and round(self.offline_nach, 1)} s after its link went "
                f"down, Online {self.online_nach and round(self.online_nach, 1)} s after it came back; probe "
                f"(passes, running, next in ms, last pass: hosts, online, restarts, stopped, failed) {self.sonde[:3]}"
                + (f"; late probe: {self.befund}" if self.befund else ""))


class Last(unittest.TestCase):
    def test_200_peers_zehnfacher_takt(self):
        sonde_nr = PEERS + 2
        with Lab(sonde_nr, silent=f"2-{sonde_nr}") as l:
            h = l[1]
            peers = [l[i] for i in range(2, PEERS + 2)]
            sonde = l[sonde_nr]
            os.makedirs(h.data_dir, exist_ok=True)
            with open(h.host_list_file, "wb") as f:
                f.write(f"sonde|niemand|{sonde.ip}|{sonde.mac}\r\n".encode())

            v = h.start_veltrano(display="xvfb")
            v.wait_ready()
            bedienung = Bedienung(v)
            bedienung.warte_fokus_auf_hauptfenster()
            wait_until(lambda: v.zustand()["eigenemac"] == h.mac, 10)
            wait_until(lambda: v.ansicht()[0][2] == "Online", 10, message="the listed host Online by the probe")

            leser = Dateileser(h.host_list_file)
            leser.start()
            sender = lab.LoadSender(l, [dict(host=p, payloads=nutzlasten(i, p), start_ms=i * ANLAUF_MS)
                                        for i, p in enumerate(peers)], h.ip, lab.PRAESENZ_PORT, TAKT_MS, DAUER)
            anfang = time.monotonic()
            cpu_anfang = v.cpu_seconds()
            antworten = Antwortzeiten(v)
            antworten.start()
            beobachter = Sondenbeobachter(v, sonde)
            erwartet = {p.mac for p in peers} | {h.mac, sonde.mac}
            ansicht_fehler = []
            alle_da_nach = None
            sweep_an = sweep_dauer = None

            def alle_da():
                # Every peer listed once, Online and Aktiv (while they still announce).
                zeilen = v.ansicht()
                return len(zeilen) == PEERS + 2 and {z[5] for z in zeilen} == erwartet and all(
                    z[2:4] == ["Online", "Aktiv"] for z in zeilen if z[5] != sonde.mac)

            while (seit := time.monotonic() - anfang) < DAUER - 0.5:
                macs = [z[5] for z in v.ansicht()]
                if len(macs) != len(set(macs)) or not set(macs) <= erwartet:
                    ansicht_fehler.append(f"{seit:.0f} s: {len(macs)} rows, {len(set(macs))} hardware addresses")
                if seit > 20:
                    # The probe keeps working under the load.
                    beobachter.schritt()
                if seit > 30 and sweep_an is None:
                    # A sweep of the subnet on top; it finds nothing new (every host of the
                    # network is listed), but it must end.
                    bedienung.scanner_einschalten()
                    sweep_an = time.monotonic()
                elif sweep_an and sweep_dauer is None and v.zustand()["scanner"] == "0":
                    sweep_dauer = time.monotonic() - sweep_an
                if alle_da_nach is None and seit > PEERS * ANLAUF_MS / 1000 + 2 and alle_da():
                    alle_da_nach = seit
                time.sleep(max(0.0, 1.0 - (time.monotonic() - anfang - seit)))
            antworten.anhalten()
            ergebnis = sender.wait(30)
            cpu = v.cpu_seconds() - cpu_anfang
            gesamt = time.monotonic() - anfang
            time.sleep(1.0)  # the last changes are saved
            leser.ende.set()
            leser.join(5)

            print(f"{ergebnis['gesendet']} datagrams in {ergebnis['sekunden']} s (sender late by at most "
                  f"{ergebnis['verspaetung_max_ms']} ms); instance CPU {cpu:.1f} s in {gesamt:.1f} s "
                  f"({100 * cpu / gesamt:.0f} %); {antworten.text()}; Hostliste.txt read {leser.lesungen} times, "
                  f"{len(leser.fassungen)} versions; all peers Online/Aktiv from "
                  f"{alle_da_nach and round(alle_da_nach, 1)} s; {beobachter.text()}; sweep done "
                  f"{sweep_dauer and round(sweep_dauer, 1)} s after its message was confirmed", flush=True)
            self.assertTrue(v.running(), v.log()[-3000:])
            self.assertEqual(ergebnis["fehler_anzahl"], 0, ergebnis["fehler"])
            soll = sum((DAUER * 1000 - i * ANLAUF_MS) / TAKT_MS for i in range(PEERS))
            self.assertGreater(ergebnis["gesendet"], 0.98 * soll)
            self.assertEqual(antworten.ausfaelle, [])
            self.assertLess(antworten.langsamste()[0][2], 1.0, antworten.langsamste(n=5))
            self.assertEqual(ansicht_fehler, [])
            self.assertEqual(leser.fehler[:5], [])
            self.assertGreater(leser.lesungen, 1000)
            self.assertGreater(len(leser.fassungen), 10, "the file must have been rewritten during the reads")
            self.assertIsNotNone(alle_da_nach, f"all {PEERS} peers Online/Aktiv, each once, at one moment")
            self.assertIsNotNone(beobachter.offline_nach, (beobachter.befund, beobachter.sonde))
            self.assertIsNotNone(beobachter.online_nach, beobachter.sonde)
            self.assertIsNotNone(sweep_an, "the sweep was not switched on")
            self.assertIsNotNone(sweep_dauer, "the sweep did not end")

            # The file holds the view's list: every peer once, the user names as last sent.
            with open(h.host_list_file, "rb") as f:
                daten = f.read()
            self.assertIsNone(hostliste_pruefen(daten))
            datei = [z.split("|") for z in daten.decode()[:-2].split("\r\n")]
            self.assertEqual([[z[0], z[1], z[4], z[5]] for z in v.ansicht()], datei)
            self.assertEqual({z[3] for z in datei}, erwartet)


class Flut(unittest.TestCase):
    def test_flut_wechselnder_namen_antwortet_weiter(self):
        with Lab(2) as l:
            h, sender_host = l[1], l[2]
            peers = []
            for i in range(40):
                ip = f"10.77.0.{100 + i}"
                sender_host.add_address(ip)
                mac = f"02-77-00-00-0E-{i:02X}"
                peers.append(dict(host=sender_host, src_ip=ip,
                                  payloads=[f"VTR1|1|flut{i}|a|{mac}|1", f"VTR1|1|flut{i}|b|{mac}|1"]))
            v = h.start_veltrano()
            v.wait_ready()
            wait_until(lambda: v.zustand()["eigenemac"] == h.mac, 10)
            # 2 000 datagrams/s, each a change, for 10 s.
            sender = lab.LoadSender(l, peers, h.ip, lab.PRAESENZ_PORT, 20, 10)
            anfang = time.monotonic()
            langsamste = 0.0
            try:
                while time.monotonic() - anfang < 9.0:
                    t = time.monotonic()
                    try:
                        v.query("zustand", timeout=3.0)
                        dauer = time.monotonic() - t
                    except lab.InstanceSocketError:
                        dauer = float("inf")
                    langsamste = max(langsamste, dauer)
                    time.sleep(0.25)
                print(f"flood: slowest answer {langsamste * 1000:.0f} ms", flush=True)
                self.assertLess(langsamste, 1.0)
            finally:
                sender.wait(30)
                # Once the flood is over the instance recovers.
                wait_until(lambda: v.query("zustand", timeout=1.0), 30, message="an answer after the flood")

    def test_neue_hardwareadressen_bis_zur_grenze(self):
        """Presence datagrams with ever new hardware addresses fill the list up to its bound
        and no further: the status bar says so once, known hosts keep updating, the window
        answers, and the instance keeps announcing itself."""
        with Lab(3) as l:
            h, sender_host, peer = l[1], l[2], l[3]
            mitschnitt = peer.start_udp_listener(lab.PRAESENZ_PORT)
            v = h.start_veltrano()
            v.wait_ready()
            wait_until(lambda: v.zustand()["eigenemac"] == h.mac, 10)

            def neu(i):
                return dict(to_ip=h.ip, port=lab.PRAESENZ_PORT,
                            payload=f"VTR1|1|neu{i}|u|02-F0-00-00-{i >> 8:02X}-{i & 255:02X}|1")

            def alles_gelesen():
                # The presence listener: nothing waiting, no continuation queued.
                return v.zustand()["empfang"].split(", ")[1].split()[1:] == ["0", "0"]

            # In steps the receive buffer mostly holds; whatever is dropped, more follow.
            i = 0
            while VOLL not in v.zustand()["meldung"] and i < 2 * GRENZE:
                lab.send_udp_batch(sender_host, [neu(j) for j in range(i, i + 100)])
                i += 100
                wait_until(alles_gelesen, 30, message="the presence listener read everything")
            voll_ab = time.time()
            zeile = v.ansicht()[1]
            lab.send_udp_batch(sender_host, [neu(j) for j in range(i, i + 100)] + [
                dict(to_ip=h.ip, port=lab.PRAESENZ_PORT, payload=f"VTR1|1|{zeile[0]}|anders|{zeile[5]}|1")])
            wait_until(alles_gelesen, 30)
            time.sleep(1.0)  # the last save

            zustand = v.zustand()
            self.assertIn(VOLL, zustand["meldung"])
            self.assertEqual(zustand["meldungen"].count(VOLL), 1)
            zeilen = v.ansicht()
            self.assertEqual(len(zeilen), GRENZE)
            self.assertEqual(zeilen[0][5], h.mac)
            self.assertEqual(zeilen[1][1], "anders")  # a known host still updates
            with open(h.host_list_file, "rb") as f:
                self.assertEqual(f.read().count(b"\r\n"), GRENZE)
            self.assertLess(antwortzeit(v), 1.0)
            ansagen = [d.time for d in mitschnitt.datagrams if d.src == h.ip and d.text.startswith("VTR1|1|")]
            self.assertGreaterEqual(len([t for t in ansagen if t > voll_ab]), 1, "no announcement once full")
            luecken = [b - a for a, b in zip(ansagen, ansagen[1:])]
            self.assertLess(max(luecken), 3.0, luecken)


# THostList::MaxEintraege, and the message when it is reached.
GRENZE = 8192
VOLL = f"Die Hostliste ist voll ({GRENZE} Einträge)."


def antwortzeit(v):
    t = time.monotonic()
    v.query("zustand", timeout=10.0)
    return time.monotonic() - t


if __name__ == "__main__":
    lab.e2e_main()
