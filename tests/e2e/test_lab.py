#!/usr/bin/python3
"""The lab itself: what the other end-to-end tests rely on."""
import json
import os
import subprocess
import time
import unittest

import lab
from lab import Lab, wait_until


def ping(host, ziel):
    return host.run(["ping", "-c1", "-W1", ziel]).returncode == 0


def lab_reste(name):
    reste = [x for x in os.listdir(lab.labskript.NETNS_ORDNER) if x.startswith(f"vlab-{name}-")]
    if os.path.isdir(lab.labskript.ETC_NETNS):
        reste += [x for x in os.listdir(lab.labskript.ETC_NETNS) if x.startswith(f"vlab-{name}-")]
    if os.path.exists(lab.labskript.lab_ordner(name)):
        reste.append(lab.labskript.lab_ordner(name))
    return reste


class Netz(unittest.TestCase):
    def test_hosts_stumme_hosts_und_nachbartabelle(self):
        with Lab(4, silent=[3, 4], hosts_file=True) as l:
            a, b = l[1], l[2]
            self.assertEqual((a.ip, a.mac, a.mac_colon), ("10.77.0.1", "02-77-00-00-00-01", "02:77:00:00:00:01"))
            for ziel in (b, l[3], l[4]):
                self.assertTrue(ping(a, ziel.ip), ziel)
            self.assertFalse(ping(a, "10.77.0.200"))
            nachbarn = a.neighbours()
            for ziel in (b, l[3], l[4]):
                self.assertEqual(nachbarn[ziel.ip], (ziel.mac_colon, 0x2))
            self.assertEqual(nachbarn["10.77.0.200"], ("00:00:00:00:00:00", 0x0))
            # Reverse names from the lab's hosts file, silent hosts included.
            self.assertEqual(a.run(["getent", "hosts", l[4].ip]).stdout.split(), [l[4].ip, "pc4"])
            self.assertIsNone(l[3].folders)

    def test_adressen_ueber_mehrere_bloecke_einer_16(self):
        adressen = ["10.77.0.1", "10.77.1.5", "10.77.7.9", "10.77.200.3", "10.77.255.254"]
        with Lab(5, net="10.77.0.0/16", addresses=adressen, silent=[2, 3, 4, 5]) as l:
            self.assertEqual([h.ip for h in l], adressen)
            self.assertEqual(l[1].broadcast, "10.77.255.255")
            for h in list(l)[1:]:
                self.assertTrue(ping(l[1], h.ip), h)

    def test_link_ab_und_auf(self):
        with Lab(2) as l:
            self.assertTrue(ping(l[1], l[2].ip))
            l[2].link(False)
            self.assertIn("DOWN", l[2].run(["ip", "-br", "link", "show", "eth0"]).stdout)
            self.assertFalse(ping(l[1], l[2].ip))
            l[2].link(True)
            wait_until(lambda: ping(l[1], l[2].ip), 10, message="the host to answer again")
            self.assertIn(f"{l[2].ip}/24", l[2].run(["ip", "-br", "addr", "show", "eth0"]).stdout)

    def test_datagramme_und_mitschnitt(self):
        with Lab(3) as l:
            udp = l[2].start_udp_listener(lab.BEFEHL_PORT)
            roh = l[3].start_udp_listener(lab.BEFEHL_PORT, raw=True)
            paket = lab.magic_packet(l[2].mac)
            self.assertEqual(len(paket), 102)
            lab.send_udp(l[1], l[1].broadcast, lab.BEFEHL_PORT, paket, src_port=lab.BEFEHL_PORT)
            d = udp.wait_for()[0]
            self.assertEqual((d.src, d.src_port, d.payload), (l[1].ip, lab.BEFEHL_PORT, paket))
            r = roh.wait_for()[0]
            self.assertEqual((r.src, r.dst, r.dst_port, r.src_mac, r.dst_mac, r.payload, r.outgoing),
                             (l[1].ip, "10.77.0.255", lab.BEFEHL_PORT, l[1].mac_colon, "ff:ff:ff:ff:ff:ff",
                              paket, False))

    def test_viele_absenderadressen(self):
        with Lab(2) as l:
            quellen = [f"10.77.0.{100 + i}" for i in range(20)]
            for q in quellen:
                l[1].add_address(q)
            udp = l[2].start_udp_listener(40000)
            n = lab.send_udp_batch(l[1], [dict(to_ip=l[2].ip, port=40000, payload=f"x{q}", src_ip=q) for q in quellen])
            self.assertEqual(n, 20)
            empfangen = udp.wait_for(count=20)
            self.assertEqual(sorted(d.src for d in empfangen), sorted(quellen))
            self.assertTrue(all(d.text == "x" + d.src for d in empfangen))


class Umgebung(unittest.TestCase):
    def test_ordner_platzhalter_und_name(self):
        with Lab(2) as l:
            h = l[1]
            r = h.run(["sh", "-c", 'echo "$HOME|$XDG_DATA_HOME|$XDG_CONFIG_HOME|$XDG_CACHE_HOME|$XDG_RUNTIME_DIR|'
                                   '$XDG_DESKTOP_DIR"; uname -n; for p in shutdown systemctl net; do command -v $p; done'])
            zeilen = r.stdout.splitlines()
            ordner = zeilen[0].split("|")
            self.assertEqual(ordner, [h.folders[k] for k in ("home", "data", "config", "cache", "runtime", "desktop")])
            self.assertTrue(all(os.path.isdir(o) for o in ordner))
            self.assertEqual(os.stat(h.folders["runtime"]).st_mode & 0o777, 0o700)
            self.assertEqual(zeilen[1], "pc1")
            self.assertEqual(zeilen[2:], [os.path.join(h.folders["bin"], x) for x in ("shutdown", "systemctl", "net")])
            self.assertEqual(os.uname().nodename, subprocess.run(["uname", "-n"], capture_output=True,
                                                                 text=True).stdout.strip())

            # The stand-ins record and do nothing; host 2 has its own log.
            for argv in (["shutdown", "-P"], ["systemctl", "hibernate"], ["net", "rpc", "shutdown", "-I", "a b"]):
                self.assertEqual(h.run(argv).returncode, 0)
            aufrufe = h.stand_in_calls()
            self.assertEqual([[c["programm"]] + c["argv"] for c in aufrufe],
                             [["shutdown", "-P"], ["systemctl", "hibernate"], ["net", "rpc", "shutdown", "-I", "a b"]])
            self.assertTrue(all(abs(c["zeit"] - time.time()) < 60 for c in aufrufe))
            self.assertEqual(l[2].stand_in_calls(), [])

    def test_ping_gruppen(self):
        for ping_range, erwartet in ((True, "0\t2147483647"), (False, "1\t0")):
            with self.subTest(ping_range=ping_range), Lab(1, ping_range=ping_range) as l:
                self.assertEqual(l[1].run(["cat", "/proc/sys/net/ipv4/ping_group_range"]).stdout.strip(), erwartet)


class Lebenszyklus(unittest.TestCase):
    def test_abbau_entfernt_alles(self):
        l = Lab(3, silent=[3], hosts_file=True)
        with l:
            schlaefer = l[1].popen(["sleep", "600"])
            self.assertTrue(lab_reste(l.name))
        self.assertEqual(lab_reste(l.name), [])
        self.assertFalse(os.path.exists(f"/proc/{schlaefer.pid}") and schlaefer.running())
        r = subprocess.run([lab.LAB_SKRIPT, "down", l.name], capture_output=True, text=True)
        self.assertEqual(r.returncode, 0)
        self.assertIn("nothing to remove", r.stdout)

    def test_down_beendet_prozesse_und_prune_raeumt_verwaiste_labs(self):
        besitzer = subprocess.Popen(["sleep", "600"])
        name = lab.lab_name()
        try:
            r = subprocess.run([lab.LAB_SKRIPT, "up", name, "2", "--owner", str(besitzer.pid)], capture_output=True,
                               text=True)
            self.assertEqual(r.returncode, 0, r.stderr)
            daten = lab.labskript.beschreibung_lesen(name)
            kind = subprocess.Popen(lab.labskript.exec_argv(daten, 1, ["sleep", "600"]))
            subprocess.run([lab.LAB_SKRIPT, "prune"], check=True, capture_output=True)
            self.assertTrue(lab_reste(name), "a lab whose owner lives must stay")
            besitzer.kill()
            besitzer.wait()
            subprocess.run([lab.LAB_SKRIPT, "prune"], check=True, capture_output=True)
            self.assertEqual(lab_reste(name), [])
            self.assertIsNotNone(kind.wait(5))
        finally:
            besitzer.kill()
            subprocess.run([lab.LAB_SKRIPT, "down", name], capture_output=True)

    def test_verweigert_ohne_root_und_falsche_eingaben(self):
        # As the user sees it: a copy where the clone is out of that user's reach.
        with lab.BenutzerKopien() as kopien:
            r = subprocess.run(["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                kopien.pfad(lab.LAB_SKRIPT, 65534), "ls"], capture_output=True, text=True)
        self.assertEqual(r.returncode, 1)
        self.assertIn("must run as root", r.stderr)
        for argv in (["up", "Gross", "1"], ["up", "x1", "3", "--addresses", "10.77.0.1"],
                     ["up", "x1", "1", "--net", "8.8.8.0/24"], ["up", "x1", "2", "--silent", "3"]):
            with self.subTest(argv=argv):
                r = subprocess.run([lab.LAB_SKRIPT] + argv, capture_output=True, text=True)
                self.assertEqual(r.returncode, 1, r.stdout)
                self.assertEqual(lab_reste("x1"), [])

    def test_sanitizer_befund_laesst_test_scheitern(self):
        l = Lab(1)
        with self.assertRaisesRegex(AssertionError, "sanitizer error"):
            with l:
                falsch = os.path.join(l[1].folders["basis"], "falsch.sh")
                with open(falsch, "w") as f:
                    f.write("#!/bin/sh\necho '==7==ERROR: AddressSanitizer: heap-use-after-free' >&2\nexec sleep 60\n")
                os.chmod(falsch, 0o755)
                v = l[1].start_veltrano(falsch)
                wait_until(lambda: v.sanitizer_errors(), 10)
        self.assertEqual(lab_reste(l.name), [])

    def test_zeiten_fuer_3_und_40_hosts(self):
        zeiten = {}
        for n, stumm in ((3, ()), (40, ()), (41, range(2, 42))):
            with Lab(n, silent=stumm) as l:
                if stumm:
                    r = l[1].run(["sh", "-c", "for i in $(seq 2 41); do ping -c1 -W1 10.77.0.$i >/dev/null || "
                                              "echo $i; done"])
                    self.assertEqual(r.stdout, "", "silent hosts that did not answer")
            zeiten[f"{n} hosts ({len(stumm)} silent)"] = (round(l.up_seconds, 2), round(l.down_seconds, 2))
        print("lab up/down seconds:", json.dumps(zeiten))


class LogindStandIn(unittest.TestCase):
    def test_aufrufe_und_signal(self):
        with Lab(1) as l:
            mock = l[1].start_logind_mock()
            client = ("import dbus, sys\n"
                      "m = dbus.SystemBus().get_object('org.freedesktop.login1', '/org/freedesktop/login1')\n"
                      "print(m.CanHibernate(dbus_interface='org.freedesktop.login1.Manager'))\n"
                      "m.Suspend(False, dbus_interface='org.freedesktop.login1.Manager')\n")
            r = l[1].run([lab.PYTHON, "-c", client], env={"DBUS_SYSTEM_BUS_ADDRESS": mock.address})
            self.assertEqual(r.stdout.strip(), "yes", r.stderr)
            self.assertEqual([c[1:] for c in mock.method_calls("Suspend")], [("Suspend", [False])])
            mock.prepare_for_sleep(True)
            mock.prepare_for_sleep(False)
            self.assertEqual(mock.inhibitors(), [])


if __name__ == "__main__":
    lab.e2e_main()
