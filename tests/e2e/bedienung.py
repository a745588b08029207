"""Driving a Veltrano window under Xvfb as a user would: key strokes and typing through
xdotool (the X server's XTEST extension), and waiting for what the instance reports about its
open modal dialog on the local socket (`zustand`: dialog, dialog_text).

Keys go to the window that has the X input focus. Without a window manager Qt gives the focus
itself to every window it activates (the main window, a modal dialog, a pop-up menu), so the
keys reach what a user would see in front."""

import re
import time

from grundlagen import wait_until
from grundlagen import PROGRAMM_TITEL


class Bedienung:
    """Keyboard of one Veltrano process started with an Xvfb display."""

    def __init__(self, veltrano, pause_ms=40):
        if veltrano.xvfb is None:
            raise AssertionError("the process has no X display (start it with display=Xvfb or 'xvfb')")
        self.v = veltrano
        self.host = veltrano.host
        self.display = veltrano.xvfb.display
        self.pause_ms = pause_ms

    def xdotool(self, *argumente):
        r = self.host.run(["xdotool"] + [str(a) for a in argumente], env={"DISPLAY": self.display}, timeout=30)
        if r.returncode != 0:
            raise AssertionError(f"xdotool {' '.join(map(str, argumente))} failed: {r.stderr}")
        return r.stdout

    def tasten(self, *tasten, pause=0.15):
        """Presses keys one after the other (xdotool names: Return, Escape, Menu, ctrl+z, alt+h,
        Down, ...), then waits a moment so the program has handled them."""
        self.xdotool("key", "--clearmodifiers", "--delay", self.pause_ms, *tasten)
        time.sleep(pause)

    def tippen(self, text, pause=0.15):
        """Types text character by character (ASCII; umlauts need a keymap of their own)."""
        self.xdotool("type", "--clearmodifiers", "--delay", self.pause_ms, text)
        time.sleep(pause)

    def fenster(self, name):
        """Window ids whose name (title) matches the regular expression name, visible only."""
        r = self.host.run(["xdotool", "search", "--onlyvisible", "--name", name], env={"DISPLAY": self.display})
        return r.stdout.split()

    def fenster_geometrie(self, fenster_id):
        """(x, y, width, height) of a window id as the X server knows it."""
        werte = {}
        for zeile in self.xdotool("getwindowgeometry", "--shell", fenster_id).splitlines():
            if "=" in zeile:
                k, w = zeile.split("=", 1)
                werte[k] = int(w) if w.lstrip("-").isdigit() else w
        return werte["X"], werte["Y"], werte["WIDTH"], werte["HEIGHT"]

    # --- What the instance reports --------------------------------------------------------------

    def dialog(self):
        z = self.v.zustand()
        return z.get("dialog", ""), z.get("dialog_text", "")

    def warte_dialog(self, titel=None, text=None, timeout=10.0):
        """Waits until the modal dialog with this title (and message text) is open; returns
        (title, text)."""
        def offen():
            t, x = self.dialog()
            if not t:
                return None
            if titel is not None and t != titel:
                return None
            if text is not None and x != text:
                return None
            return t, x
        return wait_until(offen, timeout, message=f"the dialog {titel!r} {text or ''!r}; open: {self.dialog()!r}")

    def warte_kein_dialog(self, timeout=10.0):
        wait_until(lambda: self.dialog() == ("", ""), timeout, message=f"no open dialog; open: {self.dialog()!r}")

    def warte_fokus_auf_hauptfenster(self, timeout=15.0):
        """Waits until the main window is shown, no dialog open, and has the X input focus.
        Without a window manager nobody hands the focus back when a dialog closes, so it is
        given to the main window here, as a click on it would."""
        def bereit():
            z = self.v.zustand()
            if z["sichtbar"] != "1" or z["dialog"]:
                return False
            fenster = self.fenster("^" + re.escape(z["titel"]) + "$")
            if not fenster:
                return False
            fokus = self.xdotool("getwindowfocus", "-f").strip()
            if fokus not in fenster:
                self.xdotool("windowfocus", "--sync", fenster[0])
                return False
            return True
        wait_until(bereit, timeout, interval=0.2, message="the main window with the keyboard focus")

    # --- The host list --------------------------------------------------------------------------

    def zeile_waehlen(self, nr):
        """Selects row nr (0-based) of the host list: the list has the focus after the start;
        Ctrl+Home goes to the first row, Down moves on."""
        self.tasten("ctrl+Home", *(["Down"] * nr))

    def kontextmenue(self):
        """Opens the host list's context menu with the keyboard (the Menu key)."""
        self.tasten("Menu", pause=0.4)

    # --- The scanner ----------------------------------------------------------------------------

    def scanner_einschalten(self, timeout=30.0):
        """Ticks "&Scannen" with Alt+S in the main window and confirms the scanner's message
        with Return; returns the message text. The box comes once every thread of the sweep
        has been started (256 of them take seconds in a sanitizer build); the sweep may have
        ended by then."""
        self.scanner_taste()
        return self.scanner_meldung_bestaetigen(timeout)

    def scanner_taste(self):
        """Alt+S in the main window (given the focus first): the sweep starts."""
        self.warte_fokus_auf_hauptfenster()
        self.tasten("alt+s", pause=0.0)

    def scanner_meldung_bestaetigen(self, timeout=30.0):
        """Waits for the scanner's message box and closes it with Return; returns its text."""
        _, text = self.warte_dialog(PROGRAMM_TITEL, timeout=timeout)
        self.tasten("Return")
        self.warte_kein_dialog(timeout)
        return text
