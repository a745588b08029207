"""The scanner benchmark's measurements (bench/scanner starts it as root in a private
network namespace): builds each lab network, sweeps it with Veltrano's sweep
(bench_scanner), nmap and fping in turn, several rounds, and prints the table for
docs/benchmarks.md. Every measurement starts from an empty neighbour table in the sweeping
host; "found" counts the live hosts other than the sweeping host itself."""

import argparse
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HIER = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HIER, "..", "tests", "e2e"))
from lab import Lab  # noqa: E402

IP = re.compile(r"\b10\.77\.\d+\.\d+\b")


def adressen_16():
    adressen = ["10.77.0.1"]
    for block in (3, 100, 201, 255):
        adressen += [f"10.77.{block}.{20 * i + 1}" for i in range(8)]
    return adressen


def messen(host, argv, timeout):
    """Runs argv in the host from an empty neighbour table: (seconds, stdout, finished)."""
    subprocess.run(["ip", "-n", host.ns, "neigh", "flush", "all"], capture_output=True)
    time.sleep(0.5)
    anfang = time.monotonic()
    try:
        r = host.run(argv, timeout=timeout)
        return time.monotonic() - anfang, r.stdout, True
    except subprocess.TimeoutExpired as e:
        ausgabe = e.stdout.decode() if isinstance(e.stdout, bytes) else (e.stdout or "")
        return time.monotonic() - anfang, ausgabe, False


def gefunden(text, eigene, lebende):
    adressen = set(IP.findall(text)) - {eigene}
    return len(adressen & lebende), len(adressen - lebende)


def veltrano(programm, argumente):
    def lauf(host, lebende, timeout):
        sekunden, ausgabe, fertigS = messen(host, [programm] + argumente, timeout)
        if not fertigS:
            return sekunden, 0, 0, False
        d = json.loads(ausgabe.strip().splitlines()[-1])
        adressen = d["gefunden"] if "gefunden" in d else [h[2] for h in d["hosts"]]
        treffer, fremde = gefunden(" ".join(adressen), host.ip, lebende)
        if "hosts" in d:
            # The whole sweep counts a host only with its name.
            namen = {h[2]: h[0] for h in d["hosts"]}
            treffer = sum(1 for a in lebende if namen.get(a, "Unbekannt") != "Unbekannt")
        return d["sekunden"], treffer, fremde, True
    return lauf


def als_nutzer(programm, helfer, argumente):
    """The program as a user installs it (<prefix>/bin and, with helfer, the ARP helper with
    cap_net_raw+ep in <prefix>/libexec/veltrano, set as the package's install script sets
    it), run as an unprivileged user (nobody) without any capability of its own."""
    praefix = tempfile.mkdtemp(prefix="veltrano-nutzer-")
    os.chmod(praefix, 0o755)
    os.makedirs(os.path.join(praefix, "bin"))
    ziel = os.path.join(praefix, "bin", os.path.basename(programm))
    shutil.copy2(programm, ziel)
    if helfer:
        ordner = os.path.join(praefix, "libexec", "veltrano")
        os.makedirs(ordner)
        shutil.copy2(helfer, os.path.join(ordner, "veltrano-arp"))
        subprocess.run(["setcap", "cap_net_raw+ep", os.path.join(ordner, "veltrano-arp")], check=True)
    for wurzel, ordner_, dateien in os.walk(praefix):
        for x in ordner_:
            os.chmod(os.path.join(wurzel, x), 0o755)
    return veltrano("setpriv", ["--reuid=65534", "--regid=65534", "--clear-groups", ziel] + argumente)


def werkzeug(argv, hoechstens=None):
    def lauf(host, lebende, timeout):
        sekunden, ausgabe, fertigS = messen(host, argv, hoechstens or timeout)
        treffer, fremde = gefunden(ausgabe, host.ip, lebende)
        return sekunden, treffer, fremde, fertigS
    return lauf


def szenario(name, lab_argumente, laeufe, runden, timeout):
    zeilen = []
    with Lab(**lab_argumente) as l:
        h = l[1]
        lebende = {x.ip for x in l.hosts[1:]}
        ergebnisse = {titel: [] for titel, _ in laeufe}
        for runde in range(runden):
            for titel, lauf in laeufe:
                if runde > 0 and titel.endswith("(once)"):
                    continue
                ergebnisse[titel].append(lauf(h, lebende, timeout))
                print(f"{name} {titel}: {ergebnisse[titel][-1]}", file=sys.stderr, flush=True)
        for titel, _ in laeufe:
            werte = ergebnisse[titel]
            zeiten = [w[0] for w in werte]
            zeilen.append({
                "netz": name, "werkzeug": titel, "median": statistics.median(zeiten), "max": max(zeiten),
                "gefunden": min(w[1] for w in werte), "fremde": max(w[2] for w in werte),
                "lebende": len(lebende), "fertig": all(w[3] for w in werte), "runden": len(werte),
            })
    return zeilen


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--programm", required=True)
    p.add_argument("--runden", type=int, default=3)
    p.add_argument("--nur-echo-16", action="store_true")
    p.add_argument("--timeout", type=int, default=900)
    p.add_argument("--helfer", help="the ARP helper (veltrano-arp) for the unprivileged rows")
    a = p.parse_args()
    prog = os.path.abspath(a.programm)
    os.environ["VELTRANO_LAB"] = "1"

    v_entdeckung = veltrano(prog, ["--entdeckung"])
    v_sweep = veltrano(prog, [])
    v_echo = veltrano(prog, ["--entdeckung", "--echo"])
    zeilen = []
    netz24 = "10.77.0.0/24"
    zeilen += szenario("/24, 64 live hosts", dict(n=65, silent="2-65", hosts_file=True), [
        ("Veltrano discovery (own ARP + echo)", v_entdeckung),
        ("Veltrano whole sweep with names and users", v_sweep),
        ("Veltrano discovery, echo only (no CAP_NET_RAW)", v_echo),
        ("nmap -sn -n", werkzeug(["nmap", "-sn", "-n", netz24])),
        ("fping -a -q -g", werkzeug(["fping", "-a", "-q", "-g", netz24])),
    ], a.runden, a.timeout)
    netz16 = "10.77.0.0/16"
    laeufe16 = [
        ("Veltrano discovery (own ARP + echo)", v_entdeckung),
        ("Veltrano whole sweep with names and users", v_sweep),
        ("nmap -sn -n -T5 --min-hostgroup 4096 --max-retries 1 --min-rate 5000",
         werkzeug(["nmap", "-sn", "-n", "-T5", "--min-hostgroup", "4096", "--max-retries", "1",
                   "--min-rate", "5000", netz16])),
        # fping asks one address every 10 ms and retries three times: it takes far longer
        # than 20 minutes for a /16, so it is stopped after 300 s and counted as far as it got.
        ("fping -a -q -g (once)", werkzeug(["fping", "-a", "-q", "-g", netz16], hoechstens=300)),
    ]
    if a.helfer:
        # Hosts are found by the helper's ARP, then confirmed by echo over ICMP datagram
        # sockets (the lab's ping_group_range admits every group).
        laeufe16.insert(1, ("Veltrano discovery as an unprivileged user with the ARP helper",
                            als_nutzer(prog, a.helfer, ["--entdeckung"])))
        laeufe16.insert(2, ("Veltrano whole sweep as an unprivileged user with the ARP helper",
                            als_nutzer(prog, a.helfer, [])))
    if a.nur_echo_16:
        # The echo-only way as users meet it: an unprivileged user and no helper installed.
        laeufe16.insert(2, ("Veltrano discovery as an unprivileged user without the ARP helper, echo only (once)",
                            als_nutzer(prog, None, ["--entdeckung"]) if a.helfer else v_echo))
    zeilen += szenario("/16, 32 live hosts in 4 blocks",
                       dict(n=33, net=netz16, addresses=adressen_16(), silent="2-33", hosts_file=True),
                       laeufe16, a.runden, a.timeout)

    print("| Network | Sweep | median | slowest | live hosts found | runs |")
    print("|---|---|---|---|---|---|")
    for z in zeilen:
        zeit = f"{z['median']:.2f} s" if z["fertig"] else f"> {z['max']:.0f} s (stopped)"
        print(f"| {z['netz']} | {z['werkzeug'].replace(' (once)', '')} | {zeit} | {z['max']:.2f} s | "
              f"{z['gefunden']} of {z['lebende']}{'' if not z['fremde'] else ' (+%d wrong)' % z['fremde']} | "
              f"{z['runden']} |")
    print(json.dumps(zeilen), file=sys.stderr)


if __name__ == "__main__":
    main()
