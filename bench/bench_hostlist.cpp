// Merge and file costs of the host list at the sizes a large network reaches.
#include "hosts/THostList.h"
#include "platform/linux/LinuxDienste.h"
#include "protocol/Nachrichten.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
TLinuxDateien dateien;

QString Mac(int i) {
    return QStringLiteral("02-00-00-%1-%2-%3")
        .arg((i >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((i >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(i & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString Praesenz(int i) {
    return QStringLiteral("VTR1|1|PC-%1|benutzer%1|%2|1").arg(i).arg(Mac(i));
}

// What the reception does with a presence: read it, then merge it.
int Empfangen(THostList& liste, const QString& ip, const QString& text) {
    return liste.Add(Protokoll::PraesenzEintrag(*Protokoll::LesePraesenz(text), ip, liste.Tick()), false);
}

// Every entry a running peer, announced recently, as in a busy network.
void Fuellen(THostList& liste, int anzahl) {
    for (int i = 0; i < anzahl; ++i)
        Empfangen(liste, QStringLiteral("10.%1.%2.%3").arg(i >> 16).arg((i >> 8) & 0xFF).arg(i & 0xFF),
                  Praesenz(i));
}

void PraesenzZusammenfuehren(benchmark::State& state) {
    QTemporaryDir ordner;
    quint32 tick = 1000;
    THostList liste(ordner.path() + QStringLiteral("/Hostliste.txt"), dateien, [&] { return tick; });
    const int anzahl = int(state.range(0));
    Fuellen(liste, anzahl);
    int i = 0;
    for (auto _ : state) {
        // A known peer refreshing itself: the common case, every 2 s per peer.
        const int n = i++ % anzahl;
        benchmark::DoNotOptimize(Empfangen(liste, QStringLiteral("10.0.0.1"), Praesenz(n)));
    }
    state.SetLabel(std::to_string(anzahl) + " entries");
}
BENCHMARK(PraesenzZusammenfuehren)->Arg(256)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);

void Speichern(benchmark::State& state) {
    QTemporaryDir ordner;
    THostList liste(ordner.path() + QStringLiteral("/Hostliste.txt"), dateien, [] { return 1000u; });
    Fuellen(liste, int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(liste.LoadSaveListe(false));
}
BENCHMARK(Speichern)->Arg(10000)->Unit(benchmark::kMillisecond);

void Laden(benchmark::State& state) {
    QTemporaryDir ordner;
    THostList liste(ordner.path() + QStringLiteral("/Hostliste.txt"), dateien, [] { return 1000u; });
    Fuellen(liste, int(state.range(0)));
    liste.LoadSaveListe(false);
    for (auto _ : state)
        benchmark::DoNotOptimize(liste.LoadSaveListe(true));
    if (liste.Count() != state.range(0))
        state.SkipWithError("the file did not load whole");
}
BENCHMARK(Laden)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
