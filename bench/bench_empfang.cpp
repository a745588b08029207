// The reception path of presence datagrams on a live main window: decode, cut, merge and
// view update, at 1 000 known hosts. It never sends: it moves into a network namespace of
// its own before anything else, so the real network cannot carry its announcements.
#include "app/TForm1.h"
#include "common/ResConst.h"
#include "hosts/Datenpfade.h"
#include "platform/TPlattform.h"
#include "support/TForm1Innen.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <sched.h>

namespace {

TForm1* form = nullptr;
constexpr int Hosts = 1000;

QByteArray Praesenz(int i, const char* benutzer) {
    return QStringLiteral("VTR1|1|PC-%1|%2|02-00-00-00-%3-%4|1")
        .arg(i)
        .arg(QString::fromLatin1(benutzer))
        .arg(i / 256, 2, 16, QLatin1Char('0'))
        .arg(i % 256, 2, 16, QLatin1Char('0'))
        .toUpper()
        .toUtf8();
}

QString Adresse(int i) {
    return QStringLiteral("10.1.%1.%2").arg(i / 250).arg(i % 250 + 1);
}

// A known peer refreshing itself: nothing changes, nothing is painted or written.
void EmpfangBekannt(benchmark::State& state) {
    std::vector<QByteArray> datagramme;
    for (int i = 0; i < Hosts; ++i)
        datagramme.push_back(Praesenz(i, "benutzer"));
    int i = 0;
    for (auto _ : state) {
        Innen(*form).UdpS1SenderUDPRead(datagramme[size_t(i)], Adresse(i));
        i = (i + 1) % Hosts;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EmpfangBekannt)->Unit(benchmark::kMicrosecond);

// Every datagram changes its host's user: merge and repaint of the row. The save it makes due
// is written once per burst by a timer, which does not run here.
void EmpfangGeaendert(benchmark::State& state) {
    std::vector<QByteArray> a, b;
    for (int i = 0; i < Hosts; ++i) {
        a.push_back(Praesenz(i, "anna"));
        b.push_back(Praesenz(i, "bert"));
    }
    int i = 0;
    bool umschaltenS = false;
    for (auto _ : state) {
        Innen(*form).UdpS1SenderUDPRead((umschaltenS ? a : b)[size_t(i)], Adresse(i));
        if (++i == Hosts) {
            i = 0;
            umschaltenS = !umschaltenS;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EmpfangGeaendert)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (::unshare(CLONE_NEWNET) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
        std::fprintf(stderr, "bench_empfang: no private network namespace; refusing to run\n");
        return 1;
    }
    QTemporaryDir ordner;
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        qputenv(name, ordner.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::unique_ptr<TSystemDienste> system = ErzeugeSystemDienste();
    const TPlattform plattform = system->Dienste();
    TLaufzeit laufzeit;
    DatenpfadeSetzen(laufzeit, plattform.Dateien, plattform.Identitaet, plattform.Starteintraege);
    TForm1Optionen o;
    o.BefehlPort = 0;
    o.SenderPort = 0;
    o.Argumente = QStringList{QStringLiteral("/systemstartup")};
    TForm1 hauptfenster(plattform, laufzeit, o);
    form = &hauptfenster;
    for (int i = 0; i < Hosts; ++i)
        Innen(hauptfenster).UdpS1SenderUDPRead(Praesenz(i, "benutzer"), Adresse(i));
    // No timers during the measurement: only the reception path runs.
    for (QTimer* t : {&Innen(hauptfenster).Timer1Start, &Innen(hauptfenster).Timer1Sender,
                      &Innen(hauptfenster).Timer1Icmp, &Innen(hauptfenster).Timer1Scanner,
                      &Innen(hauptfenster).Timer1StatusBar})
        t->stop();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return Innen(hauptfenster).HostList->Count() == Hosts ? 0 : 2;
}
