#!/usr/bin/python3
"""The windows at 12, 24 and 36 points under a real X server: main window with three peers
and an offline host, the background dialog, the name dialog and the schedule dialog. Each
dialog grows with the font and stays on the screen. With VELTRANO_SCREENSHOTS=<dir> the
pictures are kept there (hauptfenster-12.png, hintergrund-dlg-12.png, name-dlg-12.png,
zeitsteuerung-dlg-12.png, ...); otherwise in the lab's folder, which goes with the lab."""
import os
import re
import time
import unittest

import lab
from bedienung import Bedienung
from lab import Lab, wait_until

GROESSEN = (12, 24, 36)
BILDSCHIRM = (1280, 800)


def einstellungen_schreiben(host, punkte):
    ordner = os.path.join(host.folders["config"], "Veltrano")
    os.makedirs(ordner, exist_ok=True)
    with open(os.path.join(ordner, "Veltrano.conf"), "w") as f:
        f.write(f"[General]\nFontSize={punkte}\n")


class Bildschirmfotos(unittest.TestCase):
    """One lab for all sizes (setUpClass); the tests check what it recorded."""

    geometrien = {}  # {punkte: {dialog: (x, y, width, height)}}
    zeilenabstaende = {}  # {punkte: pixels from one grid line of the host list to the next}

    @classmethod
    def setUpClass(cls):
        with Lab(3) as l:
            h = l[1]
            os.makedirs(h.data_dir, exist_ok=True)
            with open(h.host_list_file, "wb") as f:
                f.write(b"schlaefer|anna|10.77.0.200|02-77-00-00-00-C8\r\n")
            for peer in (l[2], l[3]):
                peer.start_veltrano().wait_ready()
            ordner = os.environ.get("VELTRANO_SCREENSHOTS") or os.path.join(h.folders["basis"], "bilder")
            xvfb = h.start_xvfb(BILDSCHIRM)
            for punkte in GROESSEN:
                cls.geometrien[punkte] = fotos(l, xvfb, punkte, ordner)
                cls.zeilenabstaende[punkte] = zeilenabstand(h, os.path.join(ordner, f"hauptfenster-{punkte}.png"))
                print(f"{punkte} pt: " + ", ".join(f"{n} {g[2]}x{g[3]} at {g[0]},{g[1]}"
                                                   for n, g in cls.geometrien[punkte].items())
                      + f", host list rows {cls.zeilenabstaende[punkte]} px apart")

    def test_alle_dialoge_in_allen_groessen(self):
        self.assertEqual(sorted(self.geometrien), list(GROESSEN))
        for punkte in GROESSEN:
            self.assertEqual(sorted(self.geometrien[punkte]), ["hintergrund-dlg", "name-dlg", "zeitsteuerung-dlg"])
            # The row measurement found the grid (four rows, three lines between them at least).
            self.assertIsNotNone(self.zeilenabstaende[punkte])
            self.assertGreaterEqual(self.zeilenabstaende[punkte], 15)

    def test_dialoge_wachsen_mit_der_schrift(self):
        # A dialog bounded by the screen stops at its edge; the schedule dialog gets narrower
        # where its date and time row moves below the radio group to stay on the screen.
        for name in self.geometrien[12]:
            for klein, gross in ((12, 24), (24, 36)):
                with self.subTest(dialog=name, punkte=gross):
                    a, b = self.geometrien[klein][name], self.geometrien[gross][name]
                    text = f"at {klein} pt {a}, at {gross} pt {b}"
                    self.assertGreater(b[2] * b[3], a[2] * a[3], text)
                    self.assertTrue(b[3] > a[3] or b[3] == BILDSCHIRM[1], "height " + text)
                    if name != "zeitsteuerung-dlg":
                        self.assertTrue(b[2] > a[2] or b[2] == BILDSCHIRM[0], "width " + text)

    def test_zeilen_der_hostliste_wachsen_mit_der_schrift(self):
        for klein, gross in ((12, 24), (24, 36)):
            with self.subTest(punkte=gross):
                self.assertGreater(self.zeilenabstaende[gross], self.zeilenabstaende[klein], self.zeilenabstaende)

    def test_dialoge_auf_dem_bildschirm(self):
        for punkte in GROESSEN:
            for name, (x, y, b, h) in self.geometrien[punkte].items():
                with self.subTest(dialog=name, punkte=punkte):
                    self.assertTrue(x >= 0 and y >= 0 and x + b <= BILDSCHIRM[0] and y + h <= BILDSCHIRM[1],
                                    f"{name} at {punkte} pt: {x},{y} {b}x{h}")


def zeilenabstand(host, bild):
    """The distance of the host list's grid lines in a picture of the main window: a column
    of pixels just inside the list's left edge, where no cell text reaches."""
    r = host.run(["convert", os.path.abspath(bild), "-crop", "1x600+12+20", "+repage", "txt:-"])
    gitter = [int(m.group(1)) for m in re.finditer(r"^0,(\d+):\s+\S+\s+#D4D4D4", r.stdout, re.M)]
    abstaende = [b - a for a, b in zip(gitter, gitter[1:])]
    return max(set(abstaende), key=abstaende.count) if abstaende else None


def fotos(l, xvfb, punkte, ordner):
    """Starts the program in host 1 at this font size, photographs the main window and the
    three dialogs, and returns the dialogs' geometry."""
    h = l[1]
    einstellungen_schreiben(h, punkte)
    v = h.start_veltrano(display=xvfb)
    v.wait_ready()
    bed = Bedienung(v)
    bed.warte_fokus_auf_hauptfenster()
    assert v.zustand()["schrift"] == f"{punkte} Arial", v.zustand()["schrift"]
    wait_until(lambda: sorted(r[0] for r in v.ansicht()) == ["pc1", "pc2", "pc3", "schlaefer"], 10)
    wait_until(lambda: all(r[2:4] == (["Offline", "Inaktiv"] if r[0] == "schlaefer" else ["Online", "Aktiv"])
                           for r in v.ansicht()), 10, message="the statuses settled")
    time.sleep(0.5)
    xvfb.screenshot(os.path.join(ordner, f"hauptfenster-{punkte}.png"))
    zeilen = [r[0] for r in v.ansicht()]
    geometrien = {}

    def dialog_foto(name, titel, oeffnen):
        bed.warte_fokus_auf_hauptfenster()
        oeffnen()
        bed.warte_dialog(titel)
        fenster = wait_until(lambda: bed.fenster("^" + titel + "$"), 5, message=f"the X window {titel}")
        time.sleep(0.5)
        xvfb.screenshot(os.path.join(ordner, f"{name}-{punkte}.png"))
        geometrien[name] = bed.fenster_geometrie(fenster[0])
        bed.tasten("Escape")
        bed.warte_kein_dialog()

    dialog_foto("hintergrund-dlg", "Schrifthintergrund wählen", lambda: bed.tasten("alt+a", "h"))
    dialog_foto("name-dlg", "Gerätename ändern",
                lambda: (bed.zeile_waehlen(zeilen.index("schlaefer")), bed.tasten("ctrl+g")))
    dialog_foto("zeitsteuerung-dlg", 'Zeitsteuerung für Gerät "pc2"',
                lambda: (bed.zeile_waehlen(zeilen.index("pc2")), bed.tasten("ctrl+z")))
    assert v.stop() == 0
    return geometrien


if __name__ == "__main__":
    lab.e2e_main()
