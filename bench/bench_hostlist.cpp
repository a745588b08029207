// Costs of the host list at the sizes a large network or a flood of made-up hardware
// addresses reaches: appending, merging a known peer, saving, rebuilding the view, and the
// memory of store and view. The list's bound (THostList::MaxEintraege) is chosen from these.
#include "hosts/THostList.h"
#include "platform/linux/LinuxDienste.h"
#include "protocol/Nachrichten.h"
#include "ui/TListView.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {
TLinuxDateien dateien;
// Past the program's bound, so the sizes around it can be compared.
constexpr int Ohne = 1 << 20;

QString Mac(int i) {
    return QStringLiteral("02-00-00-%1-%2-%3")
        .arg((i >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((i >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(i & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

// Names as a peer sends them, or (langS) as long as a presence field is kept: the worst a
// flood can store.
QString Praesenz(int i, bool langS = false) {
    if (!langS)
        return QStringLiteral("VTR1|1|PC-%1|benutzer%1|%2|1").arg(i).arg(Mac(i));
    const QString name = QStringLiteral("%1-").arg(i).leftJustified(Protokoll::MaxFeld, u'x');
    return QStringLiteral("VTR1|1|%1|%1|%2|1").arg(name, Mac(i));
}

// What the reception does with a presence: read it, then merge it.
int Empfangen(THostList& liste, const QString& ip, const QString& text) {
    return liste.Add(Protokoll::PraesenzEintrag(*Protokoll::LesePraesenz(text), ip, liste.Tick()), false);
}

QString Adresse(int i) {
    return QStringLiteral("10.%1.%2.%3").arg(i >> 16).arg((i >> 8) & 0xFF).arg(i & 0xFF);
}

// Every entry a running peer, announced recently, as in a busy network or a flood.
void Fuellen(THostList& liste, int anzahl, bool langS = false) {
    for (int i = 0; i < anzahl; ++i)
        Empfangen(liste, Adresse(i), Praesenz(i, langS));
}

QString Datei(const QTemporaryDir& ordner) {
    return ordner.path() + QStringLiteral("/Hostliste.txt");
}

void Einfuegen(benchmark::State& state) {
    const int anzahl = int(state.range(0));
    QStringList texte;
    for (int i = 0; i < anzahl; ++i)
        texte << Praesenz(i);
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir ordner;
        {
            THostList liste(
                Datei(ordner), dateien, [] { return 1000u; }, {}, Ohne);
            state.ResumeTiming();
            for (int i = 0; i < anzahl; ++i)
                Empfangen(liste, QStringLiteral("10.0.0.1"), texte[i]);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(Einfuegen)->Arg(4096)->Arg(8192)->Arg(16384)->Unit(benchmark::kMillisecond);

void PraesenzZusammenfuehren(benchmark::State& state) {
    QTemporaryDir ordner;
    quint32 tick = 1000;
    THostList liste(
        Datei(ordner), dateien, [&] { return tick; }, {}, Ohne);
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
BENCHMARK(PraesenzZusammenfuehren)
    ->Arg(256)
    ->Arg(4096)
    ->Arg(8192)
    ->Arg(16384)
    ->Arg(65536)
    ->Unit(benchmark::kMicrosecond);

// A presence for a new hardware address at a full list: turned away.
void Abweisen(benchmark::State& state) {
    QTemporaryDir ordner;
    THostList liste(Datei(ordner), dateien, [] { return 1000u; });
    Fuellen(liste, THostList::MaxEintraege);
    int i = THostList::MaxEintraege;
    for (auto _ : state)
        benchmark::DoNotOptimize(Empfangen(liste, QStringLiteral("10.0.0.1"), Praesenz(i++)));
    if (liste.Count() != THostList::MaxEintraege)
        state.SkipWithError("the list grew past its bound");
}
BENCHMARK(Abweisen)->Unit(benchmark::kMicrosecond);

// Save with fsync; arg 1: names of the longest kept length.
void Speichern(benchmark::State& state) {
    QTemporaryDir ordner;
    THostList liste(
        Datei(ordner), dateien, [] { return 1000u; }, {}, Ohne);
    Fuellen(liste, int(state.range(0)), state.range(1) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(liste.LoadSaveListe(false));
    state.counters["file_MB"] = double(QFileInfo(liste.Filename()).size()) / 1e6;
}
BENCHMARK(Speichern)
    ->Args({4096, 0})
    ->Args({8192, 0})
    ->Args({16384, 0})
    ->Args({8192, 1})
    ->Args({16384, 1})
    ->Unit(benchmark::kMillisecond);

void Laden(benchmark::State& state) {
    QTemporaryDir ordner;
    THostList liste(
        Datei(ordner), dateien, [] { return 1000u; }, {}, Ohne);
    Fuellen(liste, int(state.range(0)));
    liste.LoadSaveListe(false);
    for (auto _ : state)
        benchmark::DoNotOptimize(liste.LoadSaveListe(true));
    if (liste.Count() != state.range(0))
        state.SkipWithError("the file did not load whole");
}
BENCHMARK(Laden)->Arg(8192)->Arg(16384)->Unit(benchmark::kMillisecond);

// The whole view built again from the store (start, loss of the network), on a window of
// 1280x800 on the offscreen platform; arg 1: names of the longest kept length.
void AnsichtFuellen(benchmark::State& state) {
    QTemporaryDir ordner;
    THostList liste(
        Datei(ordner), dateien, [] { return 1000u; }, {}, Ohne);
    Fuellen(liste, int(state.range(0)), state.range(1) != 0);
    TListView view;
    view.resize(1280, 800);
    view.show();
    view.SpaltenEinteilen(view.width());
    for (auto _ : state) {
        view.ListViewFuellen(liste);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(AnsichtFuellen)
    ->Args({4096, 0})
    ->Args({8192, 0})
    ->Args({16384, 0})
    ->Args({8192, 1})
    ->Args({16384, 1})
    ->Unit(benchmark::kMillisecond);

// A flood before the list is full: each datagram a new entry, its row appended at once as
// the reception does (a row per datagram), at a view of about N rows.
void AnsichtAnhaengen(benchmark::State& state) {
    QTemporaryDir ordner;
    THostList liste(
        Datei(ordner), dateien, [] { return 1000u; }, {}, Ohne);
    const int anzahl = int(state.range(0));
    Fuellen(liste, anzahl);
    TListView view;
    view.resize(1280, 800);
    view.show();
    view.SpaltenEinteilen(view.width());
    view.ListViewFuellen(liste);
    int i = anzahl;
    for (auto _ : state) {
        Empfangen(liste, QStringLiteral("10.0.0.1"), Praesenz(i++));
        view.Abgleichen(liste);
    }
}
BENCHMARK(AnsichtAnhaengen)
    ->Arg(4096)
    ->Arg(8192)
    ->Arg(16384)
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond);

// Heap in use, mapped blocks included.
size_t ImGebrauch() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// Heap in use by a store and its view, per entry and in all; arg 1 as above.
void Speicher(benchmark::State& state) {
    for (auto _ : state) {
        QTemporaryDir ordner;
        const size_t vorher = ImGebrauch();
        {
            THostList liste(
                Datei(ordner), dateien, [] { return 1000u; }, {}, Ohne);
            Fuellen(liste, int(state.range(0)), state.range(1) != 0);
            const size_t nurListe = ImGebrauch();
            TListView view;
            view.resize(1280, 800);
            view.ListViewFuellen(liste);
            const size_t mitAnsicht = ImGebrauch();
            state.counters["store_MiB"] = double(nurListe - vorher) / (1 << 20);
            state.counters["store_and_view_MiB"] = double(mitAnsicht - vorher) / (1 << 20);
            state.counters["per_entry_KiB"] = double(mitAnsicht - vorher) / 1024 / double(state.range(0));
        }
    }
}
BENCHMARK(Speicher)
    ->Args({4096, 0})
    ->Args({8192, 0})
    ->Args({16384, 0})
    ->Args({8192, 1})
    ->Args({16384, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
