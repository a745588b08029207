#!/usr/bin/python3
"""Power commands in the lab: the agent carries out commands from another host through the
recording stand-ins and the stand-in logind, drops them while the computer sleeps, and wakes
a host with magic packets when the user asks for it in the context menu; shuts down and
restarts a host without Veltrano through a real Samba server in the lab; with a network key,
carries out only signed commands, once each, and logs every command with what became of it."""
import datetime
import hashlib
import hmac
import os
import re
import subprocess
import tempfile
import time
import unittest

import lab
from bedienung import Bedienung
from lab import Lab, wait_until

PROGRAMM = lab.PROGRAMM_TITEL


def aufrufe(host):
    return [[c["programm"]] + c["argv"] for c in host.stand_in_calls()]


def presence(d, laufend, host):
    return d.text.startswith(f"VTR1|{'1' if laufend else '0'}|{host.name}|")


class Befehle(unittest.TestCase):
    def agent(self, l, parameter=None):
        mock = l[1].start_logind_mock(parameter)
        v = l[1].start_veltrano(logind=mock)
        v.wait_ready()
        # The listeners start with the first tick; the own announcement shows they are up.
        wait_until(lambda: v.zustand()["eigenemac"] == l[1].mac, 10)
        return v, mock

    def befehl(self, l, wort):
        lab.send_udp(l[2], l[1].ip, lab.BEFEHL_PORT, f"VTR1|{wort}")

    def test_herunterfahren_neustart_hibernation(self):
        with Lab(2) as l:
            v, mock = self.agent(l)
            erwartet = []
            for wort, aufruf in (("herunterfahren", ["shutdown", "-P"]), ("neustart", ["shutdown", "-r"]),
                                 ("einschlafen", ["systemctl", "hibernate"])):
                with self.subTest(befehl=wort):
                    self.befehl(l, wort)
                    erwartet.append(aufruf)
                    wait_until(lambda: len(aufrufe(l[1])) >= len(erwartet), 5, message=f"the stand-in for {wort}")
                    time.sleep(1.0)  # exactly once: nothing follows
                    self.assertEqual(aufrufe(l[1]), erwartet)
            self.assertEqual(len(mock.method_calls("CanHibernate")), 1)
            self.assertEqual(mock.method_calls("Suspend"), [])
            self.assertTrue(v.running())

    def test_einschlafen_ohne_hibernation_ueber_logind(self):
        with Lab(2) as l:
            v, mock = self.agent(l, {"CanHibernate": "no"})
            mitschnitt = mock.monitor()
            ankunft = l[1].start_udp_listener(lab.BEFEHL_PORT, raw=True)
            self.befehl(l, "einschlafen")
            d = ankunft.wait_for(lambda d: d.text == "VTR1|einschlafen" and not d.outgoing)[0]
            zeiten = wait_until(lambda: mitschnitt.zeiten("Suspend"), 5, message="Suspend on the stand-in logind")
            time.sleep(1.0)
            self.assertEqual(len(mitschnitt.zeiten("Suspend")), 1)
            self.assertEqual([c[1:] for c in mock.method_calls("Suspend")], [("Suspend", [False])])
            verzug = zeiten[0] - d.time
            print(f"Suspend {verzug * 1000:.0f} ms after the datagram")
            self.assertGreaterEqual(verzug, 0.2)  # a coarse timer may fire up to 5 % early
            self.assertLess(verzug, 0.8)
            self.assertLess(mitschnitt.zeiten("CanHibernate")[0], zeiten[0])
            self.assertEqual(aufrufe(l[1]), [], "no systemctl hibernate when logind refuses it")

    def test_befehl_waehrend_des_schlafs_verworfen(self):
        with Lab(2) as l:
            v, mock = self.agent(l)
            praesenz = l[2].start_udp_listener(lab.PRAESENZ_PORT)
            praesenz.wait_for(lambda d: presence(d, True, l[1]))
            sperren = mock.inhibitors()
            self.assertEqual([(s[0], s[1], s[3]) for s in sperren], [("sleep", PROGRAMM, "delay")])

            mock.prepare_for_sleep(True)
            praesenz.wait_for(lambda d: presence(d, False, l[1]), timeout=5)
            # The leaving announcement is out: the delay lock goes so the system can sleep.
            wait_until(lambda: mock.inhibitors() == [], 5, message="the sleep inhibitor released")
            praesenz.clear()
            for wort in ("herunterfahren", "neustart", "einschlafen"):
                self.befehl(l, wort)
            time.sleep(3.0)
            self.assertEqual(aufrufe(l[1]), [], "a command while the computer sleeps must be dropped")
            self.assertEqual([d.text for d in praesenz.datagrams if d.src == l[1].ip], [], "no presence while asleep")

            aufgewacht = time.time()
            mock.prepare_for_sleep(False)
            d = praesenz.wait_for(lambda d: presence(d, True, l[1]), timeout=10)[0]
            verzug = d.time - aufgewacht
            print(f"presence again {verzug:.2f} s after the resume")
            self.assertGreater(verzug, 4.5)
            self.assertLess(verzug, 7.0)
            wait_until(lambda: len(mock.inhibitors()) == 1, 5, message="the inhibitor taken again")
            self.befehl(l, "herunterfahren")
            wait_until(lambda: aufrufe(l[1]), 5)
            time.sleep(0.5)
            self.assertEqual(aufrufe(l[1]), [["shutdown", "-P"]])


def schluessel(passphrase):
    return hashlib.pbkdf2_hmac("sha256", passphrase.encode(), b"Veltrano-Netzwerkschluessel", 100000, 32)


def signiert(d, k, t=None, nonce=None):
    """D|T|N|H as a keyed peer sends it, made here apart from the program."""
    ohne_h = f"{d}|{int(time.time()) if t is None else t}|{nonce or os.urandom(8).hex()}"
    return ohne_h + "|" + hmac.new(k, ohne_h.encode(), hashlib.sha256).hexdigest()


def schluessel_setzen(host, k, rechte=0o600):
    datei = os.path.join(host.folders["config"], "Veltrano", "Netzwerkschluessel")
    os.makedirs(os.path.dirname(datei), exist_ok=True)
    fd = os.open(datei, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, rechte)
    os.write(fd, k.hex().encode() + b"\n")
    os.close(fd)


def befehle_log(host):
    """Befehle.log as (address:port, word, result) per line."""
    try:
        with open(os.path.join(host.data_dir, "Befehle.log"), encoding="utf-8") as f:
            return [tuple(z.rstrip("\n").split("  ")[1:]) for z in f if z.strip()]
    except FileNotFoundError:
        return []


def veltrano(host, *args):
    return host.run([lab.VELTRANO] + list(args), env={"ASAN_OPTIONS": lab.asan_optionen()})


def langsame_stand_ins(host, sekunden=1.5):
    """The host's stand-ins stay running a while after they recorded the call."""
    for name in ("shutdown", "systemctl"):
        pfad = os.path.join(host.folders["bin"], name)
        with open(pfad) as f:
            text = f.read()
        with open(pfad, "w") as f:
            f.write(text.replace("sys.exit(0)", f"time.sleep({sekunden})\nsys.exit(0)"))


class Netzwerkschluessel(unittest.TestCase):
    """Host 1 keyed target, host 2 keyed console, host 3 without a key (and the one that
    sends what an attacker on the network could)."""

    def test_nur_signierte_befehle_einmal_und_protokolliert(self):
        k = schluessel("Büro im Keller 2026")
        with Lab(3) as l:
            ziel, konsole, fremd = l[1], l[2], l[3]
            for h in (ziel, konsole):
                schluessel_setzen(h, k)
            langsame_stand_ins(fremd)
            laeufe = [h.start_veltrano() for h in l]
            for v in laeufe:
                v.wait_ready()
            wait_until(lambda: sorted(tuple(r[2:4]) for r in laeufe[1].ansicht()) == [("Online", "Aktiv")] * 3,
                       20, message="the console sees three peers")
            roh = ziel.start_udp_listener(lab.BEFEHL_PORT, raw=True)

            # The console signs; the target carries it out once.
            self.assertEqual(veltrano(konsole, "--herunterfahren", ziel.name).returncode, 0)
            echt = roh.wait_for(lambda d: d.text.startswith("VTR1|herunterfahren") and not d.outgoing)[0].text
            self.assertRegex(echt, r"^VTR1\|herunterfahren\|\d+\|[0-9a-f]{16}\|[0-9a-f]{64}$")
            d, t, n, _ = echt.rsplit("|", 3)
            self.assertEqual(signiert(d, k, t, n), echt, "signed as a peer built from the wire form expects")
            self.assertLessEqual(abs(int(t) - time.time()), 5)
            wait_until(lambda: aufrufe(ziel), 5, message="the signed shutdown")

            # What anyone else on the network could send: nothing of it runs.
            falsch = schluessel("geraten")
            for text in ("VTR1|herunterfahren", signiert("VTR1|herunterfahren", falsch),
                         signiert("VTR1|neustart", k, int(time.time()) - 1000), echt):
                lab.send_udp(fremd, ziel.ip, lab.BEFEHL_PORT, text)
            lab.send_udp(fremd, ziel.ip, lab.BEFEHL_PORT, "VTR1|zssenden|12:00:00|2|1|01.01.2030|03:00")
            # 50 copies of one signed command in a burst: carried out once.
            kopie = signiert("VTR1|neustart", k)
            lab.send_udp_batch(fremd, [dict(to_ip=ziel.ip, port=lab.BEFEHL_PORT, payload=kopie)] * 50)
            wait_until(lambda: len(befehle_log(ziel)) >= 56, 5, message="every command in Befehle.log")
            time.sleep(1.0)
            self.assertEqual(aufrufe(ziel), [["shutdown", "-P"], ["shutdown", "-r"]])
            eintraege = befehle_log(ziel)
            self.assertEqual(eintraege[0], (f"{konsole.ip}:{lab.BEFEHL_PORT}", "herunterfahren", "ausgeführt"))
            # The test's sender uses a port of its own for each send.
            von = fremd.ip
            eintraege = [(e[0].rsplit(":", 1)[0],) + e[1:] for e in eintraege]
            self.assertEqual(eintraege[1:3], [(von, "herunterfahren", "keine Signatur"),
                                              (von, "herunterfahren", "falsche Signatur")])
            self.assertRegex(" ".join(eintraege[3]), rf"^{re.escape(von)} neustart Zeit um 100\d s abweichend$")
            self.assertEqual(eintraege[4:6], [(von, "herunterfahren", "wiederholt"), (von, "zssenden", "keine Signatur")])
            self.assertEqual(eintraege[6:], [(von, "neustart", "ausgeführt")] + [(von, "neustart", "wiederholt")] * 49)
            self.assertTrue(laeufe[0].zustand()["zeitsteuerung"].startswith("0|0|"))

            # A schedule written by the keyed console is stored; on the target without a key
            # too, which reads the signature as fields it ignores, and obeys a signed command.
            for h in (ziel, fremd):
                r = veltrano(konsole, "--zeitsteuerung", h.name, "--setzen", "2|1|24.12.2030|22:15")
                self.assertEqual(r.returncode, 0, r.stderr)
            self.assertEqual(laeufe[0].zustand()["zeitsteuerung"], "2|1|24.12.2030|22:15")
            self.assertEqual(laeufe[2].zustand()["zeitsteuerung"], "2|1|24.12.2030|22:15")
            self.assertEqual(veltrano(konsole, "--neustart", fremd.name).returncode, 0)
            pid = wait_until(lambda: fremd.stand_in_calls(), 5, message="the unkeyed target obeys")[0]["pid"]
            wait_until(lambda: not os.path.exists(f"/proc/{pid}"), 10, message="the slow stand-in ended")
            time.sleep(0.5)
            # Without a key, a burst of plain commands still starts one shutdown at a time.
            lab.send_udp_batch(fremd, [dict(to_ip=fremd.ip, port=lab.BEFEHL_PORT, payload="VTR1|herunterfahren")] * 50)
            wait_until(lambda: len(befehle_log(fremd)) >= 52, 5, message="the burst in Befehle.log")
            time.sleep(2.0)
            self.assertEqual(aufrufe(fremd), [["shutdown", "-r"], ["shutdown", "-P"]], befehle_log(fremd)[:4])
            self.assertEqual([e[1:] for e in befehle_log(fremd)],
                             [("zssenden", "ausgeführt"), ("neustart", "ausgeführt"), ("herunterfahren", "ausgeführt")] +
                             [("herunterfahren", "läuft bereits")] * 49)
            self.assertEqual(aufrufe(konsole), [])

    def test_eigene_zeitsteuerung_mit_schluessel_einmal(self):
        k = schluessel("Büro im Keller 2026")
        with Lab(1) as l:
            h = l[1]
            schluessel_setzen(h, k)
            # The host's clock at second 50 when it starts: its schedule is due ten seconds later.
            versatz = int(round(50 - time.time() % 60))
            faellig = datetime.datetime.fromtimestamp(time.time() + versatz + 60).replace(second=0, microsecond=0)
            os.makedirs(h.data_dir, exist_ok=True)
            with open(os.path.join(h.data_dir, "Zeitsteuerung.txt"), "wb") as f:
                f.write(f"2|1|{faellig:%d.%m.%Y}|{faellig:%H:%M}\r\n".encode())
            v = h.start_veltrano(clock_offset=versatz)
            v.wait_ready()
            wait_until(lambda: aufrufe(h), 25, message="the own schedule's shutdown")
            time.sleep(8)  # four more due tests
            self.assertEqual(aufrufe(h), [["shutdown", "-P"]])
            self.assertEqual(befehle_log(h), [(f"{h.ip}:{lab.BEFEHL_PORT}", "herunterfahren", "ausgeführt")])


SCHLAEFER_MAC = "02-77-00-00-00-C8"
FRAGE = 'Soll die Aktion "Aufwecken" bei Gerät "schlaefer" durchgeführt werden?'


class Aufwecken(unittest.TestCase):
    def mit_schlaefer(self, l):
        """Host 1 under Xvfb with an offline entry "schlaefer" in its list; a raw listener
        on host 2's port 17170."""
        h = l[1]
        os.makedirs(h.data_dir, exist_ok=True)
        with open(h.host_list_file, "wb") as f:
            f.write(f"schlaefer|anna|10.77.0.200|{SCHLAEFER_MAC}\r\n".encode())
        roh = l[2].start_udp_listener(lab.BEFEHL_PORT, raw=True)
        v = h.start_veltrano(display="xvfb")
        v.wait_ready()
        b = Bedienung(v)
        b.warte_fokus_auf_hauptfenster()
        wait_until(lambda: [r[0] for r in v.ansicht()] == ["schlaefer", "pc1"], 10)
        time.sleep(2.5)  # a probe pass has found it silent
        self.assertEqual(v.ansicht()[0][2:4], ["Offline", "Inaktiv"])
        return v, b, roh

    def test_frage_mit_j_beantwortet(self):
        with Lab(2) as l:
            v, b, roh = self.mit_schlaefer(l)
            b.zeile_waehlen(0)
            b.kontextmenue()
            b.tasten("a")
            b.warte_dialog(PROGRAMM, FRAGE)
            b.tasten("j")
            roh.wait_for(count=5, timeout=3)

    def test_magic_packets_je_schnittstelle(self):
        schlaefer_mac = SCHLAEFER_MAC
        with Lab(2) as l:
            h = l[1]
            # A second usable interface (network 10.77.1.0/24) beside eth0's 10.77.0.0/24.
            h.add_address("10.77.1.1/24")
            v, b, roh = self.mit_schlaefer(l)
            frage = FRAGE
            # Answered No: nothing goes out.
            b.zeile_waehlen(0)
            b.kontextmenue()
            b.tasten("a")
            self.assertEqual(b.warte_dialog(PROGRAMM, frage), (PROGRAMM, frage))
            b.tasten("Escape")
            b.warte_kein_dialog()
            time.sleep(1.0)
            self.assertEqual(roh.datagrams, [])
            b.warte_fokus_auf_hauptfenster()

            # Answered Yes.
            b.kontextmenue()
            b.tasten("a")
            b.warte_dialog(PROGRAMM, frage)
            b.tasten("Return")
            b.warte_kein_dialog()
            pakete = roh.wait_for(lambda d: d.dst_port == lab.BEFEHL_PORT, count=10, timeout=5)
            time.sleep(1.0)
            pakete = roh.datagrams
            magic = lab.magic_packet(schlaefer_mac)
            self.assertEqual(len(magic), 102)
            self.assertEqual(magic.count(bytes.fromhex(schlaefer_mac.replace("-", ""))), 16)
            je_netz = {}
            for d in pakete:
                self.assertEqual((d.payload, d.src_port, d.src_mac, d.dst_mac),
                                 (magic, lab.BEFEHL_PORT, h.mac_colon, "ff:ff:ff:ff:ff:ff"), d)
                je_netz.setdefault(d.dst, []).append(d.time)
            self.assertEqual({k: len(t) for k, t in je_netz.items()}, {"10.77.0.255": 5, "10.77.1.255": 5})
            alle = sorted(t for ts in je_netz.values() for t in ts)
            self.assertLess(alle[-1] - alle[0], 1.0, "five runs with 50 ms pauses")
            self.assertGreater(alle[-1] - alle[0], 0.15, "the runs are paused, not sent in one burst")
            self.assertEqual(v.ansicht()[0][0], "schlaefer")


SAMBA_KONFIGURATION = """[global]
    workgroup = LAB
    netbios name = SAMBAHOST
    server role = standalone server
    security = user
    passdb backend = tdbsam:{d}/private/passdb.tdb
    private dir = {d}/private
    lock directory = {d}/lock
    state directory = {d}/state
    cache directory = {d}/cache
    pid directory = {d}/pid
    ncalrpc dir = {d}/ncalrpc
    binddns dir = {d}/bind-dns
    log file = {d}/log.%m
    interfaces = {ip}/24
    bind interfaces only = yes
    disable netbios = yes
    smb ports = 445
    shutdown script = {shutdown} %r
    load printers = no
    printcap name = /dev/null
    disable spoolss = yes
"""


class Fernabschaltung(unittest.TestCase):
    """Host 2 runs smbd (its shutdown script is the lab's recording stand-in) and no Veltrano;
    host 1 shuts it down with the real net tool."""

    def samba(self, host, ordner):
        for unter in ("private", "lock", "state", "cache", "pid", "ncalrpc", "bind-dns"):
            os.makedirs(os.path.join(ordner, unter))
        konf = os.path.join(ordner, "smb.conf")
        with open(konf, "w") as f:
            f.write(SAMBA_KONFIGURATION.format(d=ordner, ip=host.ip,
                                               shutdown=os.path.join(host.folders["bin"], "shutdown")))
        subprocess.run(["smbpasswd", "-c", konf, "-a", "-s", "daemon"], input=b"geheim\ngeheim\n", check=True,
                       capture_output=True)
        subprocess.run(["net", "-s", konf, "sam", "rights", "grant", "daemon", "SeRemoteShutdownPrivilege"],
                       check=True, capture_output=True)
        # A session of its own: smbd sends SIGTERM to its whole process group when it ends.
        host.popen(["setsid", "smbd", "-s", konf, "-F", "--no-process-group", "--debug-stdout", "-d0"])
        wait_until(lambda: host.run(["ss", "-ltn", "sport = :445"]).stdout.count("LISTEN"), 10, message="smbd")

    def aktion(self, b, taste, name):
        b.warte_fokus_auf_hauptfenster()
        b.zeile_waehlen(0)
        b.kontextmenue()
        b.tasten(taste)
        frage = f'Soll die Aktion "{name}" bei Gerät "sambahost" durchgeführt werden?'
        b.warte_dialog(PROGRAMM, frage)
        b.tasten("Return")
        # A refusal may open its message at once: only the question has to be gone.
        wait_until(lambda: b.dialog()[1] != frage, 10, message="the question answered")

    def test_herunterfahren_neustart_ueber_samba(self):
        with Lab(2) as l, tempfile.TemporaryDirectory() as ordner:
            h, ziel = l[1], l[2]
            self.samba(ziel, ordner)
            os.remove(os.path.join(h.folders["bin"], "net"))  # the real net, towards the lab only
            os.makedirs(h.data_dir, exist_ok=True)
            with open(h.host_list_file, "wb") as f:
                f.write(f"sambahost|x|{ziel.ip}|{ziel.mac}\r\n".encode())
            v = h.start_veltrano(display="xvfb")
            v.wait_ready()
            b = Bedienung(v)
            wait_until(lambda: v.ansicht()[0][2] == "Online", 10, message="the Samba host online")

            # No credentials: one message with Samba's reason, soon; nothing waits on a prompt.
            anfang = time.monotonic()
            self.aktion(b, "h", "Herunterfahren")
            titel, text = b.warte_dialog(timeout=10)
            print(f"refusal told after {time.monotonic() - anfang:.2f} s: {text!r}")
            self.assertIn("NT_STATUS_LOGON_FAILURE", text)
            self.assertIn('"Herunterfahren" bei Gerät "sambahost"', text)
            b.tasten("Return")
            b.warte_kein_dialog()
            self.assertEqual(aufrufe(ziel), [])

            datei = os.path.join(h.folders["config"], "Veltrano", "Fernanmeldung")
            os.makedirs(os.path.dirname(datei), exist_ok=True)
            fd = os.open(datei, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
            os.write(fd, b"username = daemon\npassword = geheim\ndomain = SAMBAHOST\n")
            os.close(fd)
            self.aktion(b, "h", "Herunterfahren")
            wait_until(lambda: aufrufe(ziel), 10, message="the shutdown script")
            self.aktion(b, "n", "Neustart")
            wait_until(lambda: len(aufrufe(ziel)) == 2, 10, message="the restart")
            time.sleep(1.0)
            self.assertEqual(aufrufe(ziel), [["shutdown"], ["shutdown", "-r"]])
            self.assertEqual(v.zustand()["dialog"], "")


if __name__ == "__main__":
    lab.e2e_main()
