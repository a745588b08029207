#!/usr/bin/python3
"""Never lose the user's files (issue 13): one row for each case of the issue's table, each in a
fresh lab host with the program's own folders.

Every row checks what is sound: the program is up within 2 s, says once in its status bar what
is wrong with which file and why (the message's text is checked), shows no box while it runs,
ends promptly, and the user's bytes are unchanged on disk after the start and after the close,
or a copy of them is kept beside the file.

A row: what the folders hold at the start (vorbereiten), how the program is started (user,
display, before), the parts the status bar message must hold, what to check and drive while it
runs (laufend), how it is closed (schliessen) and what the files hold afterwards (danach). The
test method of each row is generated from the table: test_<row name>."""
import configparser
import hashlib
import os
import random
import stat
import time
import unittest
from dataclasses import dataclass
from typing import Callable, Optional

import lab
from bedienung import Bedienung
from lab import PROGRAMM_TITEL, Lab, wait_until

# A user other than root: only then does a file's missing read permission bind.
NOBODY = 65534
ALT = "alt1|anna|10.77.0.40|02-77-00-00-0D-01\r\nalt2|bert|10.77.0.41|02-77-00-00-0D-02\r\n"
ZS_ALT = "1|1|01.01.2030|22:00\r\n"
KONF_KAPUTT = "[General]\nMeinName=Anna\nFontSize=20\n[kaputt\nHintColor=5\n"
START_FRIST = 2.0


def konf_datei(h):
    return os.path.join(h.folders["config"], "Veltrano", "Veltrano.conf")


def zs_datei(h):
    return os.path.join(h.data_dir, "Zeitsteuerung.txt")


def schreiben(pfad, daten, modus=None):
    os.makedirs(os.path.dirname(pfad), exist_ok=True)
    with open(pfad, "wb") as f:
        f.write(daten.encode() if isinstance(daten, str) else daten)
    if modus is not None:
        os.chmod(pfad, modus)


def lesen(pfad):
    with open(pfad, "rb") as f:
        return f.read()


def fingerabdruck(pfad):
    """What the user has at a path: kind, permissions, size and content (hashed), never opened
    unless it is a regular file."""
    info = os.lstat(pfad)
    if not stat.S_ISREG(info.st_mode):
        return stat.S_IFMT(info.st_mode), stat.S_IMODE(info.st_mode)
    h = hashlib.sha256()
    with open(pfad, "rb") as f:
        while teil := f.read(1 << 20):
            h.update(teil)
    return stat.S_IFMT(info.st_mode), stat.S_IMODE(info.st_mode), info.st_size, h.hexdigest()


def datei_zeilen(daten):
    """A whole host list file as lists of four fields; raises on a torn or broken one."""
    text = daten.decode()
    if not text.endswith("\r\n"):
        raise AssertionError(f"no CR LF at the end: {daten[-40:]!r}")
    zeilen = [z.split("|") for z in text[:-2].split("\r\n")]
    for z in zeilen:
        if len(z) != 4:
            raise AssertionError(f"a broken line: {z!r}")
    return zeilen


@dataclass
class Fall:
    name: str
    wie_heute: str  # the "what happens today"
    vorbereiten: Callable  # (test, lab) -> paths whose bytes must stay as they are
    meldung: Callable  # (host) -> parts the status bar message holds
    laufend: Optional[Callable] = None  # (test, lab, v, k): checks and actions while it runs
    danach: Optional[Callable] = None  # (test, lab, v, k): after the close
    schliessen: Optional[Callable] = None  # (test, lab, v, k); default SIGTERM
    before: Optional[Callable] = None  # (host) -> shell commands as root just before the start
    user: Optional[int] = None
    display: str = "offscreen"
    hosts: int = 1


# --- 1. The host list without read permission -------------------------------------------------------

def liste_ohne_leserecht(t, l):
    h = l[1]
    schreiben(h.host_list_file, ALT, 0o000)
    return [h.host_list_file]


def nur_eigener_eintrag(t, l, v, k):
    # Nothing of the file was loaded (it could not be read); the own entry came by itself.
    t.assertEqual([z[5] for z in v.ansicht()], [l[1].mac])


# --- 2. The schedule without read permission ---------------------------------------------------------

def zs_ohne_leserecht(t, l):
    h = l[1]
    schreiben(zs_datei(h), ZS_ALT, 0o000)
    return [zs_datei(h)]


def zs_vorgabe(t, l, v, k):
    t.assertTrue(v.zustand()["zeitsteuerung"].startswith("0|0|"))


# --- 3. Veltrano.conf with one damaged line ----------------------------------------------------------

def konf_kaputt(t, l):
    schreiben(konf_datei(l[1]), KONF_KAPUTT)
    return []


def konf_werte_behalten(t, l, v, k):
    z = wait_until(lambda: (lambda z: z if z["eigenername"] == "Anna" else None)(v.zustand()), 5,
                   message="the own name read from the damaged file")
    t.assertEqual((z["schrift"], z["hintergrund"]), ("20 Arial", "5"))
    t.assertEqual(lesen(konf_datei(l[1]) + ".defekt"), KONF_KAPUTT.encode())
    # The good values are announced as they were.
    wait_until(lambda: [z[1] for z in v.ansicht() if z[5] == l[1].mac] == ["Anna"], 5)


def konf_geschrieben_mit_guten_werten(t, l, v, k):
    pfad = konf_datei(l[1])
    t.assertEqual(lesen(pfad + ".defekt"), KONF_KAPUTT.encode(), "the copy must stay as it was")
    t.assertNotIn("[kaputt", lesen(pfad).decode())
    konf = configparser.ConfigParser(interpolation=None)
    konf.optionxform = str
    konf.read(pfad)
    t.assertEqual({s: konf["General"].get(s) for s in ("MeinName", "FontSize", "HintColor")},
                  {"MeinName": "Anna", "FontSize": "20", "HintColor": "5"})
    t.assertEqual(sorted(os.listdir(os.path.dirname(pfad))), ["Veltrano.conf", "Veltrano.conf.defekt"])


# --- 4. and 5. A named pipe at the host list and at the settings --------------------------------------

def liste_fifo(t, l):
    os.makedirs(l[1].data_dir, exist_ok=True)
    os.mkfifo(l[1].host_list_file, 0o600)
    return [l[1].host_list_file]


def konf_fifo(t, l):
    os.makedirs(os.path.dirname(konf_datei(l[1])), exist_ok=True)
    os.mkfifo(konf_datei(l[1]), 0o600)
    return [konf_datei(l[1])]


def konf_vorgaben(t, l, v, k):
    z = v.zustand()
    t.assertEqual((z["eigenername"], z["schrift"], z["hintergrund"]), ("root", "12 Arial", "1"))


# --- 6. A host list of 4.4 million valid lines ---------------------------------------------------------

def liste_riesig(t, l):
    pfad = l[1].host_list_file
    os.makedirs(os.path.dirname(pfad), exist_ok=True)
    with open(pfad, "wb") as f:
        for block in range(44):
            f.write("".join(f"pc{i:07d}|benutzer|10.{i >> 16 & 255}.{i >> 8 & 255}.{i & 255}|02-77-"
                            f"{i >> 24 & 255:02X}-{i >> 16 & 255:02X}-{i >> 8 & 255:02X}-{i & 255:02X}\r\n"
                            for i in range(block * 100000, (block + 1) * 100000)).encode())
    groesse = os.path.getsize(pfad)
    t.assertGreater(groesse, 200 * 1024 * 1024)
    print(f"host list of 4 400 000 lines, {groesse / 1048576:.1f} MiB", flush=True)
    return [pfad]


def mib(pfad):
    """A size as the program words it: "214,0 MiB"."""
    return f"{os.path.getsize(pfad) / 1048576:.1f} MiB".replace(".", ",")


def riesig_kein_speicher(t, l, v, k):
    nur_eigener_eintrag(t, l, v, k)
    rss = v.rss_kib()
    print(f"resident memory with the 200 MiB list refused: {rss / 1024:.0f} MiB", flush=True)
    t.assertLess(rss, 1024 * 1024, "the file must not be read into memory")


# --- 7. The disk fills up while hosts keep arriving --------------------------------------------------

PEERS = 1500


def platte_voll_vorbereiten(t, l):
    h = l[1]
    saat = os.path.join(h.folders["home"], "Hostliste.saat")
    schreiben(saat, ALT)
    os.makedirs(h.data_dir, exist_ok=True)
    return []


def platte_voll_before(h):
    # 64 KiB: room for a few hundred hosts, the list and its next version side by side.
    return (f"mount -t tmpfs -o size=64k,mode=0755 veltrano-voll {h.data_dir}\n"
            f"cp {os.path.join(h.folders['home'], 'Hostliste.saat')} {h.host_list_file}\n")


def hosts_kommen(t, l, v, k):
    h = l[1]
    # Keeps the program's mount namespace (its small disk) for the checks after it ended.
    k["halter"] = h.popen(["nsenter", "-t", str(v.pid), "-m", "--", "sleep", "600"])
    k["datei"] = lambda: f"/proc/{k['halter'].pid}/root{h.host_list_file}"
    wait_until(lambda: os.path.exists(k["datei"]()), 5, message="the holder in the program's mounts")
    l[2].add_address("10.77.0.50")
    lab.send_udp_batch(l[2], [dict(to_ip=h.ip, port=lab.PRAESENZ_PORT, src_ip="10.77.0.50", pause_ms=1,
                                   payload=f"VTR1|1|neu{i:04d}|u|02-77-00-01-{i >> 8:02X}-{i & 255:02X}|1")
                              for i in range(PEERS)])
    alle = wait_until(lambda: (lambda a: a if len(a) == PEERS + 3 else None)(v.ansicht()), 30,
                      message="every host in the view")
    time.sleep(0.6)  # the last save
    zeilen = datei_zeilen(lesen(k["datei"]()))
    macs = [z[5] for z in alle]
    # Whole, a version the program wrote, and short of the list: the disk is full.
    t.assertEqual([z[3] for z in zeilen], macs[:len(zeilen)])
    t.assertLess(len(zeilen), len(alle))
    k["zeilen"] = len(zeilen)
    print(f"disk full: the file holds {len(zeilen)} of {len(alle)} hosts", flush=True)


def speicherfehler_text(h):
    return (f"Die Hostliste konnte nicht in „{h.host_list_file}“ gespeichert werden (kein Speicherplatz mehr "
            f"auf dem Datenträger). Was sich seit dem letzten erfolgreichen Speichern geändert hat, fehlt in "
            f"der Datei.")


def beenden_mit_frage(t, l, v, k):
    """The user closes the window: the question names what is not saved; then the program ends
    and says it once more on its standard error."""
    b = Bedienung(v)
    b.warte_fokus_auf_hauptfenster()
    b.tasten("alt+b")
    b.warte_dialog(PROGRAMM_TITEL, speicherfehler_text(l[1]) + "\n\nSoll das Programm trotzdem beendet werden?")
    b.tasten("Return")
    t.assertEqual(v.wait(10), 0)
    t.assertIn(f"Veltrano: {speicherfehler_text(l[1])}", v.log())


def platte_voll_danach(t, l, v, k):
    zeilen = datei_zeilen(lesen(k["datei"]()))
    t.assertEqual(len(zeilen), k["zeilen"])
    # Nothing half-written left beside it (the small schedule may have found a last block).
    t.assertEqual(set(os.listdir(os.path.dirname(k["datei"]()))) - {"Hostliste.txt", "Zeitsteuerung.txt"}, set())


# --- 8. A host list of random bytes ------------------------------------------------------------------

ZUFALL = random.Random(1313).randbytes(1024 * 1024)


def liste_zufall(t, l):
    schreiben(l[1].host_list_file, ZUFALL)
    return []


def zufall_aufbewahrt(t, l, v, k):
    nur_eigener_eintrag(t, l, v, k)  # no garbage "hosts"
    t.assertEqual(lesen(l[1].host_list_file + ".defekt"), ZUFALL)


def zufall_danach(t, l, v, k):
    h = l[1]
    t.assertEqual(lesen(h.host_list_file + ".defekt"), ZUFALL)
    t.assertEqual([z[3] for z in datei_zeilen(lesen(h.host_list_file))], [h.mac])


FAELLE = [
    Fall("hostliste_ohne_leserecht",
         "starts with an empty list, then makes the file writable and overwrites it",
         liste_ohne_leserecht, user=NOBODY, laufend=nur_eigener_eintrag,
         meldung=lambda h: [f"Die Hostliste „{h.host_list_file}“ konnte nicht gelesen werden (keine "
                            f"Berechtigung). Sie wird bis zum nächsten Programmstart nicht überschrieben."]),
    Fall("zeitsteuerung_ohne_leserecht",
         "starts with the default schedule and overwrites the file at close",
         zs_ohne_leserecht, user=NOBODY, laufend=zs_vorgabe,
         meldung=lambda h: [f"Die Zeitsteuerung „{zs_datei(h)}“ konnte nicht gelesen werden (keine "
                            f"Berechtigung). Sie wird bis zum nächsten Programmstart nicht überschrieben."]),
    Fall("einstellungen_kaputte_zeile",
         "every value falls back to its default and is written back",
         konf_kaputt, laufend=konf_werte_behalten, danach=konf_geschrieben_mit_guten_werten,
         meldung=lambda h: [f"Die Einstellungen „{konf_datei(h)}“ waren beschädigt (Zeile 4: „[kaputt“). Die "
                            f"lesbaren Werte wurden übernommen, die übrigen auf ihre Vorgaben gesetzt; die "
                            f"ursprüngliche Datei wurde als „{konf_datei(h)}.defekt“ aufbewahrt."]),
    Fall("hostliste_fifo",
         "the program hangs before any window appears",
         liste_fifo, laufend=nur_eigener_eintrag,
         meldung=lambda h: [f"Die Hostliste „{h.host_list_file}“ konnte nicht gelesen werden (keine "
                            f"gewöhnliche Datei, sondern eine benannte Pipe (FIFO)). Sie wird bis zum nächsten "
                            f"Programmstart nicht überschrieben."]),
    Fall("einstellungen_fifo",
         "the program hangs when it closes",
         konf_fifo, laufend=konf_vorgaben,
         meldung=lambda h: [f"Die Einstellungen „{konf_datei(h)}“ konnten nicht gelesen werden (keine "
                            f"gewöhnliche Datei, sondern eine benannte Pipe (FIFO)). Sie werden bis zum "
                            f"nächsten Programmstart nicht überschrieben."]),
    Fall("hostliste_200_mib",
         "no window for 153 s, 7.3 GiB of memory",
         liste_riesig, laufend=riesig_kein_speicher,
         meldung=lambda h: [f"Die Hostliste „{h.host_list_file}“ konnte nicht gelesen werden (zu groß: "
                            f"{mib(h.host_list_file)}, höchstens 24,0 MiB sind vorgesehen). Sie wird bis zum "
                            f"nächsten Programmstart nicht überschrieben."]),
    Fall("platte_voll",
         "the file stays whole but stops; nothing is said, and at close the rest is silently not saved",
         platte_voll_vorbereiten, before=platte_voll_before, hosts=2, display="xvfb",
         laufend=hosts_kommen, schliessen=beenden_mit_frage, danach=platte_voll_danach,
         meldung=lambda h: [f"Die Hostliste konnte nicht in „{h.host_list_file}“ gespeichert werden (kein "
                            f"Speicherplatz mehr auf dem Datenträger). Die bisherige Datei bleibt unverändert; "
                            f"bei der nächsten Änderung wird es erneut versucht."]),
    Fall("hostliste_zufallsbytes",
         "loads about 300 hosts of garbage and rewrites the file with them",
         liste_zufall, laufend=zufall_aufbewahrt, danach=zufall_danach,
         meldung=lambda h: [f"Die Hostliste „{h.host_list_file}“ ist beschädigt (",
                            f" Zeilen sind keine Einträge). Die lesbaren Einträge wurden geladen; die "
                            f"ursprüngliche Datei wurde als „{h.host_list_file}.defekt“ aufbewahrt."]),
]


class Dateien(unittest.TestCase):
    def pruefen(self, fall):
        with Lab(fall.hosts) as l:
            h = l[1]
            k = {}
            geschuetzt = fall.vorbereiten(self, l)
            vorher = {p: fingerabdruck(p) for p in geschuetzt}

            anfang = time.monotonic()
            v = h.start_veltrano(user=fall.user, display=fall.display,
                                 before=fall.before(h) if fall.before else None)
            v.wait_ready(10)
            wait_until(lambda: v.zustand()["statusbar"] != "", 10, message="the window's first tick")
            dauer = time.monotonic() - anfang
            print(f"{fall.name}: up after {dauer:.2f} s", flush=True)
            self.assertLess(dauer, START_FRIST, "the program must be up within 2 s")

            # Its own announcement makes the program save the list (or try to).
            wait_until(lambda: h.mac in [z[5] for z in v.ansicht()], 10, message="the own entry")
            time.sleep(0.6)
            if fall.laufend:
                fall.laufend(self, l, v, k)
            meldung = wait_until(lambda: v.zustand()["meldung"], 5, message="a message in the status bar")
            for teil in fall.meldung(h):
                self.assertIn(teil, meldung)
            z = v.zustand()
            # Once: the same problem is not told again, and no box holds the program up.
            self.assertEqual(len(z["meldungen"].split("\n")), 1, z["meldungen"])
            self.assertEqual(z["dialog"], "")
            self.assertEqual({p: fingerabdruck(p) for p in geschuetzt}, vorher, "the user's bytes after the start")

            anfang = time.monotonic()
            if fall.schliessen:
                fall.schliessen(self, l, v, k)
            else:
                self.assertEqual(v.stop(10), 0)
            self.assertLess(time.monotonic() - anfang, 10.0, "the program must end promptly")
            self.assertEqual({p: fingerabdruck(p) for p in geschuetzt}, vorher, "the user's bytes after the close")
            if fall.danach:
                fall.danach(self, l, v, k)


for _fall in FAELLE:
    setattr(Dateien, f"test_{_fall.name}", lambda self, f=_fall: self.pruefen(f))


if __name__ == "__main__":
    lab.e2e_main()
