#!/usr/bin/python3
"""Measures a running Veltrano in a lab of its own (tests/e2e/lab.py, scripts/lab):

  leerlauf PROGRAM [--minuten M]   idle cost with 1 000 listed hosts: CPU seconds per minute
                                   and resident memory, beside the same for an empty list
  startzeit PROGRAM [--starts N]   time from the start to the first presence datagram on the
                                   wire, seen by a raw listener in another host (offscreen, and
                                   on an X display of its own)

Started by bench/leerlauf and bench/startzeit inside `unshare --net`: every namespace it makes
hangs below that private one, and no packet reaches the machine's network.
"""
import argparse
import os
import statistics
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


def main():
    p = argparse.ArgumentParser()
    unter = p.add_subparsers(dest="was", required=True)
    a = unter.add_parser("leerlauf")
    a.add_argument("programm")
    a.add_argument("--minuten", type=int, default=3)
    b = unter.add_parser("startzeit")
    b.add_argument("programm")
    b.add_argument("--starts", type=int, default=10)
    args = p.parse_args()
    if os.geteuid() != 0:
        sys.exit("needs root (network namespaces)")
    programm = os.path.abspath(args.programm)
    if args.was == "leerlauf":
        leerlauf(programm, args.minuten)
    else:
        startzeit(programm, args.starts)


if __name__ == "__main__":
    main()
