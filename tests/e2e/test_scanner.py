#!/usr/bin/python3
"""The subnet scanner end to end: Veltrano under Xvfb, the switch ticked with its keyboard
shortcut (Alt+S) as a user would, a lab network of hosts that run no Veltrano.

/24: 40 silent hosts with reverse names from the hosts file, one with NetBIOS users, one
known to NetBIOS only, one that ignores NetBIOS, a peer instance; once with ICMP datagram
sockets and once with ping_group_range "1 0" (raw sockets). /16: 32 hosts spread over four
/24 blocks, swept by 256 threads; closing the program in the middle of a second sweep. A name
server that never answers: unticking and closing while the sweep waits for names. A user
without privileges, with and without the ARP helper installed as the package installs it."""
import os
import shutil
import subprocess
import tempfile
import threading
import time
import unittest

import lab
from lab import PYTHON, Lab, wait_until

MELDUNG_TITEL = lab.PROGRAMM_TITEL  # the message box's caption; the window's is "<pc> - ..."

# A NetBIOS name service for a silent host: answers node-status requests with the names
# given as NAME:SUFFIX,... or, with "stumm", reads them and never answers.
NETBIOS_DIENST = r'''
import socket, struct, sys
namen = [(n.encode(), int(s, 16)) for n, s in (x.split(":") for x in sys.argv[1].split(",") if x)]
stumm = sys.argv[2:] == ["stumm"]
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("0.0.0.0", 137))
print("bereit", flush=True)
while True:
    d, von = s.recvfrom(2048)
    if stumm or len(d) < 12:
        continue
    daten = bytes([len(namen)]) + b"".join(n.ljust(15)[:15] + bytes([x]) + b"\x04\x00" for n, x in namen) + bytes(46)
    kopf = d[:2] + bytes.fromhex("8400" "0000" "0001" "0000" "0000")
    name = b"\x20CK" + b"A" * 30 + b"\x00"
    s.sendto(kopf + name + struct.pack("!HHIH", 0x21, 1, 0, len(daten)) + daten, von)
'''


def netbios_dienst(host, namen, stumm=False):
    p = host.popen([PYTHON, "-c", NETBIOS_DIENST, namen] + (["stumm"] if stumm else []), stdout_pipe=True)
    if p.proc.stdout.readline().strip() != b"bereit":
        raise AssertionError(f"NetBIOS stand-in in {host.name} did not start")
    return p


def xdotool(host, xvfb, *argumente):
    r = host.run(["xdotool"] + list(argumente), env={"DISPLAY": xvfb.display})
    return r.stdout.split() if r.returncode == 0 else []


def scanner_taste(host, xvfb, v):
    """Alt+S in the main window, as the user would tick "&Scannen"; the scanner's message box
    must then appear (the sweep's threads exist by then). Returns the box's window id."""
    fenster = wait_until(lambda: xdotool(host, xvfb, "search", "--name", v.zustand()["titel"]), 15,
                         message="the main window")
    xdotool(host, xvfb, "windowfocus", "--sync", fenster[0], "key", "alt+s")
    box = wait_until(lambda: xdotool(host, xvfb, "search", "--name", f"^{MELDUNG_TITEL}$"), 10,
                     message="the scanner's message box")
    ordner = os.environ.get("VELTRANO_SCREENSHOTS")
    if ordner:
        xvfb.screenshot(os.path.join(ordner, "scanner_meldung.png"))
    return box[0]


def scanner_einschalten(host, xvfb, v):
    """Ticks the switch and closes the message box with Return; returns the start time."""
    anfang = time.monotonic()
    box = scanner_taste(host, xvfb, v)
    xdotool(host, xvfb, "windowfocus", "--sync", box, "key", "Return")
    wait_until(lambda: not xdotool(host, xvfb, "search", "--name", f"^{MELDUNG_TITEL}$"), 10,
               message="the message box to close")
    return anfang


def zeilen_nach_mac(v):
    return {z[5]: z for z in v.ansicht()}


class Scanner24(unittest.TestCase):
    def sweep_24(self, ping_range):
        with Lab(42, silent="3-42", hosts_file=True, ping_range=ping_range) as l:
            h, peer = l[1], l[2]
            # Host 4 is known to NetBIOS only: the sweeping host's hosts file does not name it.
            pfad = f"/etc/netns/{h.ns}/hosts"
            with open(pfad) as f:
                zeilen = [z for z in f if not z.startswith(l[4].ip + "\t")]
            with open(pfad, "w") as f:
                f.writelines(zeilen)
            netbios_dienst(l[3], "NB-WS3:00,NB-WS3:03,NB-WS3$:03,ANNA:03")
            netbios_dienst(l[4], "NB-WS4:00")
            netbios_dienst(l[5], "", stumm=True)

            p = peer.start_veltrano()
            p.wait_ready()
            xvfb = h.start_xvfb((1024, 768))
            v = h.start_veltrano(display=xvfb)
            v.wait_ready()
            wait_until(lambda: (lambda z: z["sichtbar"] == "1" and z["eigenemac"] == h.mac)(v.zustand()), 15)
            # The peer is listed as active before the sweep.
            wait_until(lambda: zeilen_nach_mac(v).get(peer.mac, [""] * 6)[3] == "Aktiv", 15, message="the peer")
            peer_vorher = zeilen_nach_mac(v)[peer.mac]

            anfang = scanner_einschalten(h, xvfb, v)
            wait_until(lambda: v.zustand()["scanner"] == "0", 30, message="the switch to untick itself")
            dauer = time.monotonic() - anfang
            # New rows reach the view with the next presence cycle (2 s).
            wait_until(lambda: len(v.ansicht()) == 42, 10, message="all hosts in the view")
            ansicht = zeilen_nach_mac(v)

            for x in l.hosts[2:]:
                name = {3: "PC3", 4: "NB-WS4"}.get(x.nr, x.name.upper())
                benutzer = "ANNA" if x.nr == 3 else "Unbekannt"
                self.assertEqual(ansicht.get(x.mac), [name, benutzer, "Online", "Inaktiv", x.ip, x.mac], x)
            # The own machine only from its own presence, the peer as it announced itself.
            self.assertEqual(ansicht[h.mac], [h.name, ansicht[h.mac][1], "Online", "Aktiv", h.ip, h.mac])
            self.assertEqual(ansicht[peer.mac], peer_vorher)
            self.assertEqual(ansicht[peer.mac][0], peer.name)
            # Once per ticking: no second sweep follows.
            time.sleep(1.0)
            self.assertEqual(v.zustand()["scanner"], "0")
            print(f"/24 sweep with names (ping_range {ping_range}): {dauer:.2f} s", flush=True)

    def test_24_datagramm(self):
        self.sweep_24(ping_range=True)

    def test_24_raw(self):
        self.sweep_24(ping_range=False)


def adressen_16():
    """Host 1 at 10.77.0.1; 32 hosts, eight in each of four /24 blocks spread over the /16."""
    adressen = ["10.77.0.1"]
    for block in (3, 100, 201, 255):
        adressen += [f"10.77.{block}.{20 * i + 1}" for i in range(8)]
    return adressen


class Scanner16(unittest.TestCase):
    def test_16_mit_256_threads(self):
        with Lab(33, net="10.77.0.0/16", addresses=adressen_16(), silent="2-33", hosts_file=True) as l:
            h = l[1]
            xvfb = h.start_xvfb((1024, 768))
            v = h.start_veltrano(display=xvfb)
            v.wait_ready()
            wait_until(lambda: v.zustand()["eigenemac"] == h.mac, 15)
            anfang = scanner_einschalten(h, xvfb, v)
            wait_until(lambda: v.zustand()["scanner"] == "0", 120, message="the switch to untick itself")
            print(f"/16 sweep: {time.monotonic() - anfang:.2f} s", flush=True)
            wait_until(lambda: len(v.ansicht()) == 33, 10, message="all hosts in the view")
            ansicht = zeilen_nach_mac(v)
            for x in l.hosts[1:]:
                self.assertEqual(ansicht.get(x.mac), [x.name.upper(), "Unbekannt", "Online", "Inaktiv", x.ip, x.mac])

            # A second sweep, and the program closed in the middle of it (its message box
            # still open): no hang, no crash.
            scanner_taste(h, xvfb, v)
            self.assertEqual(v.zustand()["scanner"], "1")
            anfang = time.monotonic()
            self.assertTrue(v.send_message(lab.NACHRICHT_SCHLIESSEN))
            self.assertEqual(v.wait(20), 0)
            self.assertLess(time.monotonic() - anfang, 10)
            self.assertEqual(v.sanitizer_errors(), [])


# A name server that reads every query and never answers.
STUMMER_NAMENSSERVER = r'''
import socket
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("0.0.0.0", 53))
print("bereit", flush=True)
while True:
    s.recvfrom(2048)
'''


class ToterNamensserver(unittest.TestCase):
    def test_abschalten_und_schliessen_beim_namen_fragen(self):
        with Lab(12, silent="3-12") as l:
            h, dns = l[1], l[2]
            p = dns.popen([PYTHON, "-c", STUMMER_NAMENSSERVER], stdout_pipe=True)
            self.assertEqual(p.proc.stdout.readline().strip(), b"bereit")
            os.makedirs(f"/etc/netns/{h.ns}", exist_ok=True)
            with open(f"/etc/netns/{h.ns}/resolv.conf", "w") as f:
                f.write(f"nameserver {dns.ip}\n")
            xvfb = h.start_xvfb((1024, 768))
            v = h.start_veltrano(display=xvfb)
            v.wait_ready()
            wait_until(lambda: v.zustand()["eigenemac"] == h.mac, 15)

            def mitten_in_den_namen():
                scanner_einschalten(h, xvfb, v)
                # The echoes of a /24 take well under a second; each lookup then waits 5 s.
                time.sleep(2.5)
                self.assertEqual(v.zustand()["scanner_threads"], "1", "the sweep should still wait for names")

            mitten_in_den_namen()
            fenster = xdotool(h, xvfb, "search", "--name", v.zustand()["titel"])
            anfang = time.monotonic()
            xdotool(h, xvfb, "windowfocus", "--sync", fenster[0], "key", "alt+s")
            wait_until(lambda: v.zustand()["scanner_threads"] == "0", 10, interval=0.02, message="the sweep to end")
            self.assertLess(time.monotonic() - anfang, 1.0)
            self.assertEqual(v.zustand()["scanner"], "0")

            mitten_in_den_namen()
            anfang = time.monotonic()
            self.assertTrue(v.send_message(lab.NACHRICHT_SCHLIESSEN))
            self.assertEqual(v.wait(20), 0)
            self.assertLess(time.monotonic() - anfang, 1.0)
            self.assertEqual(v.sanitizer_errors(), [])


NOBODY = 65534


def wie_installiert(mit_helfer):
    """The program as the package lays it out, in a folder every user may enter: bin/veltrano
    and, with mit_helfer, libexec/veltrano/veltrano-arp with cap_net_raw+ep as the package's
    install script sets it. Returns (program, helper or None, folder)."""
    ordner = tempfile.mkdtemp(prefix="veltrano-nutzer-")
    programm = os.path.join(ordner, "bin", "veltrano")
    os.makedirs(os.path.dirname(programm))
    shutil.copy2(lab.VELTRANO, programm)
    helfer = None
    if mit_helfer:
        helfer = os.path.join(ordner, "libexec", "veltrano", "veltrano-arp")
        os.makedirs(os.path.dirname(helfer))
        shutil.copy2(os.path.join(os.path.dirname(lab.VELTRANO), "src/platform/linux/arphelfer/veltrano-arp"), helfer)
        subprocess.run(["setcap", "cap_net_raw+ep", helfer], check=True)
    for wurzel, unter, _ in os.walk(ordner):
        for x in [wurzel] + [os.path.join(wurzel, u) for u in unter]:
            os.chmod(x, 0o755)
    return programm, helfer, ordner


class OhneRoot(unittest.TestCase):
    def test_nutzer_mit_und_ohne_arp_helfer(self):
        for mit_helfer in (True, False):
            with self.subTest(mit_helfer=mit_helfer), Lab(22, silent="2-22") as l:
                h = l[1]
                programm, helfer, ordner = wie_installiert(mit_helfer)
                self.addCleanup(shutil.rmtree, ordner)
                lebende = {x.ip for x in l.hosts}
                if helfer:
                    self.helfer_pruefen(h, helfer, {x.ip: x.mac for x in l.hosts[1:]})
                xvfb = h.start_xvfb((1024, 768))
                v = h.start_veltrano(binary=programm, display=xvfb, user=NOBODY)
                v.wait_ready()
                wait_until(lambda: v.zustand()["eigenemac"] == h.mac, 15)

                # Echoes to silent addresses leave unresolved neighbour entries for 3 s; the
                # helper's own ARP requests leave none.
                fremde = set()
                fertig = threading.Event()

                def beobachten():
                    while not fertig.is_set():
                        fremde.update(ip for ip, (_, f) in h.neighbours().items() if ip not in lebende and f == 0)
                        time.sleep(0.05)

                beobachter = threading.Thread(target=beobachten)
                beobachter.start()
                try:
                    scanner_einschalten(h, xvfb, v)
                    wait_until(lambda: v.zustand()["scanner"] == "0", 60, message="the switch to untick itself")
                finally:
                    fertig.set()
                    beobachter.join()
                wait_until(lambda: len(v.ansicht()) == 22, 10, message="all hosts in the view")
                ansicht = zeilen_nach_mac(v)
                for x in l.hosts[1:]:
                    self.assertEqual(ansicht.get(x.mac, [""] * 6)[2:], ["Online", "Inaktiv", x.ip, x.mac], x)
                if mit_helfer:
                    self.assertEqual(fremde, set(), "the sweep should have left the asking to the helper")
                else:
                    self.assertGreater(len(fremde), 100, "the sweep should have asked by echo")
                self.assertEqual(v.sanitizer_errors(), [])

    def helfer_pruefen(self, h, helfer, lebende):
        """The helper as any user may call it: only a block of one of this machine's networks,
        on that network's interface, in the strict dotted form; answers "n mac" per host."""
        block = h.ip.rsplit(".", 1)[0] + ".0"
        als_nutzer = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups", helfer]
        for argumente, erwartet in [
            (["eth0", block], 0),
            (["eth0"], 2),
            (["eth0", block, "x"], 2),
            (["lo", "127.0.0.0"], 2),
            (["eth9", block], 2),
            (["e" * 40, block], 2),
            (["eth0", "10.77.1.0"], 2),  # outside the network
            (["eth0", h.ip], 2),  # not the start of a block
            (["eth0", "010.77.0.0"], 2),  # octal in other parsers
            (["eth0", "10.77.0"], 2),
            (["eth0", "10.77.0.0/16"], 2),
        ]:
            r = h.run(als_nutzer + argumente)
            self.assertEqual(r.returncode, erwartet, (argumente, r.stderr))
            if erwartet == 0:
                gefunden = {f"10.77.0.{n}": m.replace(":", "-").upper()
                            for n, m in (z.split() for z in r.stdout.splitlines())}
                self.assertEqual(gefunden, lebende)
            else:
                self.assertEqual(r.stdout, "")


if __name__ == "__main__":
    lab.e2e_main()
