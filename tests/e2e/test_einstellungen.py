#!/usr/bin/python3
"""Settings chosen in the program's own dialogs survive a restart, and the autostart entry
written by its check box is a valid desktop entry that starts the program hidden, also after
an upgrade replaced the running program's file."""
import configparser
import os
import re
import shutil
import tempfile
import unittest

import lab
from bedienung import Bedienung
from lab import Lab, wait_until

NAME = "Anna Test"
NOBODY = 65534


def exec_argumente(wert):
    """The Exec value of a desktop entry as a freedesktop.org launcher reads it: string
    escapes first, then arguments split at blanks with double quotes grouping and backslash
    escaping '"', '`', '$' and '\\' inside them. Field codes are not expected here."""
    text = re.sub(r"\\(.)", lambda m: {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}.get(m.group(1),
                                                                                             m.group(0)), wert)
    argumente, aktuell, in_anfz, hat = [], "", False, False
    i = 0
    while i < len(text):
        c = text[i]
        if in_anfz:
            if c == "\\" and i + 1 < len(text) and text[i + 1] in '"`$\\':
                aktuell += text[i + 1]
                i += 1
            elif c == '"':
                in_anfz = False
            else:
                aktuell += c
        elif c == '"':
            in_anfz, hat = True, True
        elif c == " ":
            if aktuell or hat:
                argumente.append(aktuell)
            aktuell, hat = "", False
        else:
            if c in '\\"`$' or c == "%":
                raise AssertionError(f"unquoted reserved character {c!r} in Exec={wert!r}")
            aktuell += c
        i += 1
    if in_anfz:
        raise AssertionError(f"unterminated quote in Exec={wert!r}")
    if aktuell or hat:
        argumente.append(aktuell)
    return argumente


def praesenz_von(d, host, benutzer):
    return d.text == f"VTR1|1|{host.name}|{benutzer}|{host.mac}|1"


class Einstellungen(unittest.TestCase):
    def starten(self, host, xvfb):
        v = host.start_veltrano(display=xvfb)
        v.wait_ready()
        bed = Bedienung(v)
        bed.warte_fokus_auf_hauptfenster()
        return v, bed

    def test_name_schrift_und_hintergrund_ueberstehen_den_neustart(self):
        with Lab(2) as l:
            h = l[1]
            xvfb = h.start_xvfb((1280, 800))
            praesenz = l[2].start_udp_listener(lab.PRAESENZ_PORT)
            v, bed = self.starten(h, xvfb)
            z = v.zustand()
            self.assertEqual((z["eigenername"], z["schrift"], z["hintergrund"]), ("root", "12 Arial", "1"))

            # The own name through the context menu's "&Meinen Namen ändern...".
            bed.kontextmenue()
            bed.tasten("m")
            bed.warte_dialog("Meinen Namen ändern")
            bed.tippen(NAME)  # the dialog opens with its whole text selected
            bed.tasten("Return")
            bed.warte_kein_dialog()
            self.assertEqual(v.zustand()["eigenername"], NAME)
            praesenz.wait_for(lambda d: praesenz_von(d, h, NAME), timeout=5)

            # The background colour: "Himmelblau" is four entries below the default "Weiß".
            bed.warte_fokus_auf_hauptfenster()
            bed.tasten("alt+a", "h")
            bed.warte_dialog("Schrifthintergrund wählen")
            bed.tasten("Down", "Down", "Down", "Down", "Return")
            bed.warte_kein_dialog()
            self.assertEqual(v.zustand()["hintergrund"], "5")

            # The font size through the font dialog.
            bed.warte_fokus_auf_hauptfenster()
            bed.tasten("alt+a", "s")
            bed.warte_dialog("Schriftart")
            bed.tasten("alt+g", "ctrl+a")  # "&Größe", the size field
            bed.tippen("20")
            bed.tasten("Return")
            bed.warte_kein_dialog()
            schrift = v.zustand()["schrift"]
            self.assertEqual(schrift, "20 Arial")

            einstellungen = configparser.ConfigParser(interpolation=None)
            einstellungen.optionxform = str
            einstellungen.read(os.path.join(h.folders["config"], "Veltrano", "Veltrano.conf"))
            gespeichert = dict(einstellungen["General"])
            self.assertEqual((gespeichert.get("MeinName"), gespeichert.get("HintColor"), gespeichert.get("FontSize"),
                              gespeichert.get("FontName")), (NAME, "5", "20", schrift[3:]))

            self.assertEqual(v.stop(), 0)
            praesenz.clear()
            neu, bed = self.starten(h, xvfb)
            z = neu.zustand()
            self.assertEqual((z["eigenername"], z["schrift"], z["hintergrund"]), (NAME, schrift, "5"))
            d = praesenz.wait_for(lambda d: d.src == h.ip, timeout=5)[0]
            self.assertTrue(praesenz_von(d, h, NAME), d.text)

    def test_schriftdialog_behaelt_die_schriftart(self):
        with Lab(1) as l:
            v, bed = self.starten(l[1], l[1].start_xvfb((1280, 800)))
            bed.tasten("alt+a", "s")
            bed.warte_dialog("Schriftart")
            bed.tasten("Return")
            bed.warte_kein_dialog()
            self.assertEqual(v.zustand()["schrift"], "12 Arial")

    def test_autostarteintrag_nach_ersetzter_programmdatei_startet_versteckt(self):
        """A user's program (not root's), whose file an upgrade replaced while it runs: the
        entry names the new file, shows the icon and starts the program hidden."""
        with Lab(1) as l, tempfile.TemporaryDirectory() as ordner_programm:
            h = l[1]
            os.chmod(ordner_programm, 0o755)
            programm = os.path.join(ordner_programm, "veltrano")
            shutil.copy2(lab.VELTRANO, programm)
            xvfb = h.start_xvfb((1280, 800))
            v = h.start_veltrano(programm, display=xvfb, user=NOBODY)
            v.wait_ready()
            bed = Bedienung(v)
            bed.warte_fokus_auf_hauptfenster()
            self.assertEqual(v.zustand()["autostart"], "0")
            # As a package upgrade does it: the new version renamed over the running file.
            shutil.copy2(lab.VELTRANO, programm + ".neu")
            os.rename(programm + ".neu", programm)
            self.assertEqual(os.readlink(f"/proc/{v.pid}/exe"), programm + " (deleted)")

            bed.tasten("alt+n", pause=0.5)  # "Beim A&nmelden starten"
            wait_until(lambda: v.zustand()["autostart"] == "1", 5)
            ordner = os.path.join(h.folders["config"], "autostart")
            eintraege = wait_until(lambda: os.listdir(ordner) if os.path.isdir(ordner) else None, 5,
                                   message="an entry in $XDG_CONFIG_HOME/autostart")
            self.assertEqual(eintraege, ["veltrano.desktop"])
            datei = os.path.join(ordner, eintraege[0])
            r = h.run(["desktop-file-validate", datei])
            self.assertEqual((r.returncode, r.stdout + r.stderr), (0, ""))

            eintrag = configparser.ConfigParser(interpolation=None)
            eintrag.optionxform = str
            eintrag.read(datei, encoding="utf-8")
            werte = eintrag["Desktop Entry"]
            argv = exec_argumente(werte["Exec"])
            self.assertEqual(argv, [programm, "/systemstartup"])
            self.assertTrue(os.path.isfile(argv[0]))
            self.assertEqual(werte["Path"].rstrip("/"), ordner_programm)
            self.assertEqual(werte["Type"], "Application")
            # Neither a build tree nor an installation beside it: the theme's icon by name.
            self.assertEqual(werte["Icon"], "veltrano")

            # What a session would start: the program hidden, with exactly that argument, in that folder.
            self.assertEqual(v.stop(), 0)
            gestartet = h.start_veltrano(binary=argv[0], args=argv[1:], cwd=werte["Path"], user=NOBODY)
            gestartet.wait_ready()
            wait_until(lambda: gestartet.zustand()["tray"] == "1", 10, message="the start hidden in the tray")
            self.assertEqual(gestartet.zustand()["sichtbar"], "0")
            with open(f"/proc/{gestartet.pid}/cmdline", "rb") as f:
                self.assertEqual(f.read().split(b"\0")[:-1], [a.encode() for a in argv])
            self.assertEqual(os.readlink(f"/proc/{gestartet.pid}/cwd"), werte["Path"].rstrip("/"))
            # The hidden start leaves the entry alone.
            self.assertEqual(os.listdir(ordner), eintraege)
            self.assertEqual(gestartet.zustand()["autostart"], "1")


if __name__ == "__main__":
    lab.e2e_main()
