#!/usr/bin/python3
"""Measures a running Veltrano in a lab of its own (tests/e2e/lab.py, scripts/lab):

  leerlauf PROGRAM [--minuten M]   idle cost with 1 000 listed hosts: CPU seconds per minute
                                   and resident memory, beside the same for an empty list
  startzeit PROGRAM [--starts N]   time from the start to the first presence datagram on the
                                   wire, seen by a raw listener in another host (offscreen, and
                                   on an X display of its own)
  flut PROGRAM [--sekunden S]      a flood at both ports from another host (bench/flut_senden.py)
                                   for S seconds (default 30): the instance's presence interval
                                   seen by a third host, its answer times on the local socket,
                                   memory, rows and the list file
  macs PROGRAM [--anzahl N]        N presence datagrams (default 100 000), each with a hardware
                                   address of its own, sent at once: the same figures

Started by bench/leerlauf and bench/startzeit inside `unshare --net`: every namespace it makes
hangs below that private one, and no packet reaches the machine's network.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import time

HIER = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HIER), "tests", "e2e"))

import lab  # noqa: E402
from lab import Lab, wait_until  # noqa: E402

ANTWORTEND = 500   # addresses that answer the probe (one responder host holds them all)
STUMM = 499        # made-up addresses behind a gateway that never answers
GATEWAY = "10.77.3.254"


def liste_1000():
    """999 entries; the instance's own announcement makes the 1 000th."""
    zeilen = []
    for i in range(ANTWORTEND):
        mac = f"02-77-AA-00-{i >> 8:02X}-{i & 255:02X}"
        zeilen.append(f"antwort{i:03d}|nutzer|10.77.{1 + i // 250}.{1 + i % 250}|{mac}")
    for i in range(STUMM):
        mac = f"02-77-BB-00-{i >> 8:02X}-{i & 255:02X}"
        zeilen.append(f"stumm{i:03d}|nutzer|10.78.{i // 250}.{1 + i % 250}|{mac}")
    return "".join(z + "\r\n" for z in zeilen).encode()


def lab_1000():
    """Host 1 runs the program; host 2 answers for 500 addresses; 499 made-up addresses lie
    behind a gateway route that nobody answers, so each of their echoes waits the full time-out
    as for a switched-off computer, without filling the machine-wide neighbour table."""
    l = Lab(2, net="10.77.0.0/22", silent=[2])
    l.__enter__()
    adressen = [f"addr add 10.77.{1 + i // 250}.{1 + i % 250}/22 dev eth0" for i in range(ANTWORTEND)]
    lab.labskript.ip_batch(adressen, ns=l[2].ns)
    lab.labskript.ip_batch([f"route add 10.78.0.0/16 via {GATEWAY}"], ns=l[1].ns)
    return l


def liste_schreiben(host, daten):
    os.makedirs(host.data_dir, exist_ok=True)
    with open(host.host_list_file, "wb") as f:
        f.write(daten)


def cpu_teile(pid):
    """(user, system) CPU seconds of a process so far."""
    with open(f"/proc/{pid}/stat") as f:
        felder = f.read().rsplit(")", 1)[1].split()
    takt = os.sysconf("SC_CLK_TCK")
    return int(felder[11]) / takt, int(felder[12]) / takt


def leerlauf_messen(v, minuten, erwartet):
    wait_until(lambda: len(v.ansicht()) == erwartet, 20, message=f"{erwartet} rows")
    time.sleep(30)  # start-up over, the probe cycles
    werte, teile = [], [0.0, 0.0]
    letzte = cpu_teile(v.pid)
    for _ in range(minuten):
        time.sleep(60)
        jetzt = cpu_teile(v.pid)
        werte.append(sum(jetzt) - sum(letzte))
        teile = [teile[0] + jetzt[0] - letzte[0], teile[1] + jetzt[1] - letzte[1]]
        letzte = jetzt
    with open(f"/proc/{v.pid}/status") as f:
        spitze = next(int(z.split()[1]) for z in f if z.startswith("VmHWM:"))
    return werte, [t / minuten for t in teile], v.rss_kib(), spitze


def nachbarn_erreichbar(host):
    """Complete entries of the host's neighbour table: the answering addresses the probe met."""
    return sum(1 for _, flags in host.neighbours().values() if flags & 0x2)


def leerlauf(programm, minuten):
    lab.VELTRANO = programm
    ergebnisse = []
    for name, daten in (("1 000 listed hosts", liste_1000()), ("own entry only", None)):
        l = lab_1000()
        try:
            h = l[1]
            if daten:
                liste_schreiben(h, daten)
            v = h.start_veltrano(env={"ASAN_OPTIONS": ""})
            v.wait_ready()
            werte, teile, rss, spitze = leerlauf_messen(v, minuten, 1000 if daten else 1)
            nachbarn = nachbarn_erreichbar(h)
            ergebnisse.append((name, werte, teile, rss, spitze))
            print(f"{name}: CPU s per minute {', '.join(f'{w:.2f}' for w in werte)} (user {teile[0]:.2f}, "
                  f"system {teile[1]:.2f}); VmRSS {rss} KiB, VmHWM {spitze} KiB; {nachbarn} answering "
                  f"addresses in the neighbour table", flush=True)
            v.stop()
        finally:
            l.close()
    print("\n| List | CPU per minute (each minute) | mean (user + system) | VmRSS | VmHWM |")
    print("|---|---|---|---|---|")
    for name, werte, teile, rss, spitze in ergebnisse:
        print(f"| {name} | {' / '.join(f'{w:.2f} s' for w in werte)} | {statistics.mean(werte):.2f} s "
              f"({teile[0]:.2f} + {teile[1]:.2f}; {100 * statistics.mean(werte) / 60:.1f} % of a core) | "
              f"{rss / 1024:.1f} MiB | {spitze / 1024:.1f} MiB |")


def startzeit(programm, starts):
    lab.VELTRANO = programm
    ergebnisse = []
    for name, daten, xvfb in (("empty data folder", None, False), ("1 000 listed hosts", liste_1000(), False),
                              ("empty data folder, under Xvfb", None, True)):
        with Lab(2) as l:
            h = l[1]
            if daten:
                liste_schreiben(h, daten)
            draht = l[2].start_udp_listener(lab.PRAESENZ_PORT, raw=True)
            anzeige = h.start_xvfb() if xvfb else "offscreen"
            zeiten = []
            for _ in range(starts):
                draht.clear()
                anfang = time.time()
                v = h.start_veltrano(display=anzeige, env={"ASAN_OPTIONS": ""})
                d = draht.wait_for(lambda d: d.src == h.ip and d.text.startswith(f"VTR1|1|{h.name}|"), timeout=30)[0]
                zeiten.append(d.time - anfang)
                if v.stop() != 0:
                    raise AssertionError(f"the program ended badly:\n{v.log()[-2000:]}")
                if not daten:
                    # Each start finds an empty data folder again.
                    for x in os.listdir(h.data_dir) if os.path.isdir(h.data_dir) else []:
                        os.remove(os.path.join(h.data_dir, x))
            ergebnisse.append((name, zeiten))
            print(f"{name}: {', '.join(f'{z * 1000:.0f}' for z in zeiten)} ms", flush=True)
    print("\n| Start | median | fastest | slowest |")
    print("|---|---|---|---|")
    for name, zeiten in ergebnisse:
        print(f"| {name} | {statistics.median(zeiten) * 1000:.0f} ms | {min(zeiten) * 1000:.0f} ms | "
              f"{max(zeiten) * 1000:.0f} ms |")


FLUT_SENDER = os.path.join(HIER, "flut_senden.py")


def status_kib(pid, schluessel):
    with open(f"/proc/{pid}/status") as f:
        return next(int(z.split()[1]) for z in f if z.startswith(schluessel + ":"))


def antwortzeit(v, timeout=30.0):
    """Seconds the window takes to answer `zustand` on its local socket (inf: no answer)."""
    t = time.monotonic()
    try:
        v.query("zustand", timeout=timeout)
    except lab.InstanceSocketError:
        return float("inf")
    return time.monotonic() - t


def gelesen(v):
    """Datagrams both listeners have read so far; None while the window does not answer."""
    try:
        teile = v.query("zustand", timeout=30.0)["empfang"].replace(",", " ").split()
    except lab.InstanceSocketError:
        return None
    return int(teile[0]) + int(teile[3])


def flut_lauf(programm, art, menge):
    """One run: host 1 the instance, host 2 the flood, host 3 a peer that records host 1's
    announcements. Returns the figures as a dict."""
    lab.VELTRANO = programm
    with Lab(3) as l:
        h, flut, peer = l[1], l[2], l[3]
        mitschnitt = peer.start_udp_listener(lab.PRAESENZ_PORT)
        v = h.start_veltrano(env={"ASAN_OPTIONS": ""})
        v.wait_ready()
        wait_until(lambda: v.zustand()["eigenemac"] == h.mac, 20)
        time.sleep(3)
        rss_vorher = v.rss_kib()
        cpu_vorher = v.cpu_seconds()
        sender = subprocess.Popen(flut.exec_argv([lab.PYTHON, FLUT_SENDER, h.ip, art, str(menge)]),
                                  env=flut.environment(), stdout=subprocess.PIPE, text=True)
        anfang, wand_anfang = time.monotonic(), time.time()
        proben = []  # (seconds since the start, answer time, VmRSS)
        staende = []  # (time, datagrams read so far)
        while sender.poll() is None:
            proben.append((time.monotonic() - anfang, antwortzeit(v), v.rss_kib()))
            n = gelesen(v)
            if n is not None:
                staende.append((time.monotonic(), n))
            time.sleep(0.5)
        ende = time.monotonic()
        ergebnis = json.loads(sender.stdout.read().strip().splitlines()[-1])
        nach_ende = antwortzeit(v)
        # Until the instance has read what is still queued for it: over 1 s no more than its
        # own announcement (one every 2 s). Done is the last time it read more.
        letzter, ruhig_seit = (staende[-1][1] if staende else -1), ende
        while time.monotonic() - ende < 300:
            n = gelesen(v)
            jetzt = time.monotonic()
            if n is not None:
                staende.append((jetzt, n))
                letzter = n
            frueher = [m for t, m in staende if t <= jetzt - 1]
            if n is None or not frueher or n - frueher[-1] > 1:
                ruhig_seit = jetzt
            elif jetzt - ruhig_seit >= 3:
                break
            proben.append((time.monotonic() - anfang, antwortzeit(v), v.rss_kib()))
            time.sleep(0.5)
        abgearbeitet = ruhig_seit - ende
        wand_ende = time.time() - (time.monotonic() - ruhig_seit)
        zu_lange = time.monotonic() - ende >= 300
        time.sleep(1.0)  # the last save
        zeilen = len(v.query("ansicht", timeout=120.0))
        zustand = v.query("zustand", timeout=120.0)
        ansagen = [d.time for d in mitschnitt.datagrams
                   if d.src == h.ip and d.text.startswith(f"VTR1|1|{h.name}|")]
        # From the flood's start until the instance has read the last of it.
        waehrend = [b - a for a, b in zip(ansagen, ansagen[1:]) if wand_anfang - 2 <= a and b <= wand_ende + 2]
        werte = {
            "sent": ergebnis, "flood_s": round(ende - anfang, 1),
            "read_by_instance": letzter,
            "busy_after_s": "over 300" if zu_lange else round(abgearbeitet, 1),
            "answer_after_flood_ms": round(nach_ende * 1000),
            "answer_max_ms": round(max(p[1] for p in proben) * 1000),
            "answer_median_ms": round(statistics.median(p[1] for p in proben) * 1000),
            "rows": zeilen,
            "list_file_bytes": os.path.getsize(h.host_list_file) if os.path.exists(h.host_list_file) else 0,
            "rss_before_mib": round(rss_vorher / 1024, 1),
            "rss_max_mib": round(max(p[2] for p in proben) / 1024, 1),
            "rss_end_mib": round(v.rss_kib() / 1024, 1),
            "hwm_mib": round(status_kib(v.pid, "VmHWM") / 1024, 1),
            "cpu_s": round(v.cpu_seconds() - cpu_vorher, 1),
            "announcements": len(waehrend) + 1 if waehrend else 0,
            "announce_gap_max_ms": round(max(waehrend) * 1000) if waehrend else None,
            "announce_gap_mean_ms": round(statistics.mean(waehrend) * 1000) if waehrend else None,
            "message": zustand.get("meldung", ""),
        }
        if v.stop() != 0:
            werte["exit"] = f"ended badly:\n{v.log()[-2000:]}"
        return werte


def flut_bericht(titel, werte):
    print(f"{titel}: {json.dumps(werte, ensure_ascii=False)}", flush=True)


def main():
    p = argparse.ArgumentParser()
    unter = p.add_subparsers(dest="was", required=True)
    a = unter.add_parser("leerlauf")
    a.add_argument("programm")
    a.add_argument("--minuten", type=int, default=3)
    b = unter.add_parser("startzeit")
    b.add_argument("programm")
    b.add_argument("--starts", type=int, default=10)
    c = unter.add_parser("flut")
    c.add_argument("programm")
    c.add_argument("--sekunden", type=float, default=30)
    d = unter.add_parser("macs")
    d.add_argument("programm")
    d.add_argument("--anzahl", type=int, default=100000)
    args = p.parse_args()
    if os.geteuid() != 0:
        sys.exit("needs root (network namespaces)")
    programm = os.path.abspath(args.programm)
    if args.was == "leerlauf":
        leerlauf(programm, args.minuten)
    elif args.was == "startzeit":
        startzeit(programm, args.starts)
    elif args.was == "flut":
        flut_bericht(f"flood of {args.sekunden:g} s", flut_lauf(programm, "flut", args.sekunden))
    else:
        flut_bericht(f"{args.anzahl} new hardware addresses", flut_lauf(programm, "macs", args.anzahl))


if __name__ == "__main__":
    main()
