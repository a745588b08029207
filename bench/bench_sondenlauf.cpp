// One probe pass over 254 silent hosts of an on-link /24, as in a lab network where nobody
// answers. The target is 254 x 10 ms plus at most 20 %, the grace for late replies after
// the last host included. Every silent address makes the
// kernel resolve it by ARP first, which leaves an incomplete neighbour entry for about 3 s;
// the counters show that no echo failed to leave and how full the neighbour table got.
//
// The program moves itself into a new network namespace before anything else (root
// only), so it never sends on the machine's real network. bench/sondenlauf builds and runs it.

#include "NetzLabor.h"
#include "common/ResConst.h"
#include "hosts/THostList.h"
#include "net/IPv4Adresse.h"
#include "net/IcmpDurchlauf.h"
#include "platform/linux/IcmpEcho.h"
#include "platform/linux/LinuxDienste.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int Netz = 201; // own end 10.77.201.1/23: all of 10.77.200.0/24 is on-link
constexpr int Hosts = 254;

TNetzLabor* labor = nullptr;
TLinuxNetz netz;
TLinuxDateien dateien;
TLaufzeit laufzeit;

// The system's echo round, counted: what did not leave, and what answered.
class TZaehlendeSonde : public TNetzwerkSonde {
public:
    TZaehlendeSonde() : TNetzwerkSonde(netz) {}
    std::unique_ptr<TSondenRunde> RundeBeginnen(std::function<bool()> anhalten) const override {
        struct TZaehlendeRunde : TSondenRunde {
            const TZaehlendeSonde& S;
            std::unique_ptr<TSondenRunde> R;
            TZaehlendeRunde(const TZaehlendeSonde& s, std::unique_ptr<TSondenRunde> r)
                : S(s), R(std::move(r)) {}
            bool Fragen(const QString& host) override {
                const bool gesendetS = R->Fragen(host);
                if (!gesendetS)
                    ++S.SendeFehler;
                return gesendetS;
            }
            QStringList Sammeln(int ms, const QString& bis) override {
                const QStringList gekommen = R->Sammeln(ms, bis);
                S.Antworten += int(gekommen.size());
                return gekommen;
            }
        };
        std::unique_ptr<TSondenRunde> runde = TNetzwerkSonde::RundeBeginnen(std::move(anhalten));
        if (!runde)
            return nullptr;
        return std::make_unique<TZaehlendeRunde>(*this, std::move(runde));
    }
    mutable std::atomic<int> SendeFehler{0};
    mutable std::atomic<int> Antworten{0};
};

// Entries of this namespace's neighbour table, and incomplete ones among them.
void NachbarnZaehlen(int& alle, int& unvollstaendig) {
    alle = unvollstaendig = 0;
    QFile f(QStringLiteral("/proc/net/arp"));
    if (!f.open(QIODevice::ReadOnly))
        return;
    f.readLine();
    while (!f.atEnd()) {
        const QList<QByteArray> s = f.readLine().simplified().split(' ');
        if (s.size() < 4)
            continue;
        ++alle;
        if (!(s[2].toUInt(nullptr, 16) & 0x2))
            ++unvollstaendig;
    }
}

// The machine-wide number of neighbour entries (all namespaces share the table). The count
// is only shown in the first namespace: its file is opened there, read-only, before leaving.
int maschinenStatistik = -1;

int NachbarnMaschine() {
    char puffer[512];
    const ssize_t n = maschinenStatistik < 0 ? -1 : ::pread(maschinenStatistik, puffer, sizeof puffer - 1, 0);
    if (n <= 0)
        return -1;
    const QList<QByteArray> zeilen = QByteArray(puffer, int(n)).split('\n');
    return zeilen.size() < 2 ? -1 : zeilen[1].simplified().split(' ').value(0).toInt(nullptr, 16);
}

void Sondenlauf(benchmark::State& state) {
    const bool datagrammS = state.range(0) != 0;
    if (!TNetzLabor::PingGruppen(datagrammS)) {
        state.SkipWithError("ping_group_range cannot be set");
        return;
    }
    const TEchoWeg weg = IcmpEchoSenden(0x7F000001, 500).Weg;
    state.SetLabel(weg == TEchoWeg::Datagramm ? "ICMP datagram socket"
                   : weg == TEchoWeg::Roh     ? "raw socket"
                                              : "none");

    QTemporaryDir ordner;
    THostList liste(ordner.filePath(QStringLiteral("fehlt.txt")), dateien, [] { return 1u; });
    for (int i = 1; i <= Hosts; ++i) {
        THostListRec h;
        h.IP = QStringLiteral("10.77.200.%1").arg(i);
        h.MAC = QStringLiteral("02-77-C8-00-00-%1").arg(i, 2, 16, QLatin1Char('0')).toUpper();
        h.Status = TStatus::sOnline;
        liste.Put(liste.Add(h, false), h);
    }
    laufzeit.SetzeEigeneMAC(labor->EigeneMac);

    TZaehlendeSonde sonde;
    int spitzeNs = 0, spitzeUnvollstaendig = 0, spitzeMaschine = -1, anfragen = 0;
    double langsamsterMs = 0, summeMs = 0;
    for (auto _ : state) {
        const auto anfang = std::chrono::steady_clock::now();
        const TIcmpDurchlaufBericht b = IcmpDurchlauf(liste, sonde, [] { return IcmpAnhalten(laufzeit); });
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - anfang).count();
        langsamsterMs = std::max(langsamsterMs, ms);
        summeMs += ms;
        anfragen += b.Anfragen;
        int alle = 0, unvollstaendig = 0;
        NachbarnZaehlen(alle, unvollstaendig);
        spitzeNs = std::max(spitzeNs, alle);
        spitzeUnvollstaendig = std::max(spitzeUnvollstaendig, unvollstaendig);
        spitzeMaschine = std::max(spitzeMaschine, NachbarnMaschine());
    }
    int online = 0;
    for (int i = 0; i < liste.Count(); ++i)
        online += liste.Get(i).Status == TStatus::sOnline;
    state.counters["hosts"] = Hosts;
    state.counters["ms_per_host"] = summeMs / double(std::max<int64_t>(state.iterations(), 1) * Hosts);
    state.counters["slowest_pass_ms"] = langsamsterMs;
    state.counters["target_ms"] = Hosts * IcmpTimeoutMs * 1.2;
    state.counters["requests"] = anfragen;
    state.counters["send_errors"] = sonde.SendeFehler.load();
    state.counters["replies"] = sonde.Antworten.load();
    state.counters["still_online"] = online;
    state.counters["neigh_ns_peak"] = spitzeNs;
    state.counters["neigh_incomplete_peak"] = spitzeUnvollstaendig;
    if (spitzeMaschine >= 0)
        state.counters["neigh_machine_peak"] = spitzeMaschine;
}
BENCHMARK(Sondenlauf)
    ->ArgName("datagram")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
} // namespace

int main(int argc, char** argv) {
    // bench/sondenlauf opens the file before its own unshare and hands the descriptor down.
    const QByteArray geerbt = qgetenv("VELTRANO_ARP_STAT_FD");
    maschinenStatistik =
        geerbt.isEmpty() ? ::open("/proc/net/stat/arp_cache", O_RDONLY | O_CLOEXEC) : geerbt.toInt();
    // Before any thread exists: the namespace of a thread is its own.
    const QString fehler = TNetzLabor::EigenerNamensraum();
    if (!fehler.isEmpty()) {
        std::fprintf(stderr, "bench_sondenlauf: %s\n", qPrintable(fehler));
        return 1;
    }
    QCoreApplication app(argc, argv);
    TNetzLabor netz;
    const QString aufbau = netz.Aufbauen(Netz, 23);
    if (!aufbau.isEmpty()) {
        std::fprintf(stderr, "bench_sondenlauf: %s\n", qPrintable(aufbau));
        return 1;
    }
    labor = &netz;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    labor = nullptr;
    return 0;
}
