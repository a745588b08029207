// The subnet sweep as the program runs it, for bench/scanner: started inside a lab host, it
// sweeps the host's networks and prints one JSON object. Not a Google Benchmark: a sweep
// changes the neighbour tables, so every run is a single measurement the script repeats.
//
//   bench_scanner [--echo] [--entdeckung]
//
// --entdeckung: only the discovery (echo and ARP) of every block, all blocks at once, as
//               the sweep's threads do it, without names and without the host list;
// otherwise:    the whole sweep through TScannerThread, one per block, names and users
//               included, merged into a host list.
// --echo:       echo requests only, as a process without CAP_NET_RAW sweeps.

#include "common/ResConst.h"
#include "hosts/THostList.h"
#include "net/IPv4Adresse.h"
#include "net/Netzwerkschnittstellen.h"
#include "net/ScannerBloecke.h"
#include "net/ScannerDurchlauf.h"
#include "net/TScannerThread.h"
#include "platform/linux/LinuxDienste.h"
#include "platform/linux/ScannerSuche.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {
QJsonObject Entdeckung(const QStringList& teile) {
    std::mutex sperre;
    QJsonArray gefunden;
    TSuchBericht summe;
    QElapsedTimer uhr;
    uhr.start();
    std::vector<std::thread> threads;
    for (const QString& teil : teile)
        threads.emplace_back([&, teil] {
            const quint32 basis = *IPTeilBasis(teil);
            TLinuxScannerSuche suche(
                basis, [] { return false; }, LinuxSuchWeg());
            for (int n = 0; n <= 255; ++n)
                suche.Fragen(quint8(n), ScannerTimeoutMs);
            const QList<TNetzSuche::TScannerFund> funde = suche.Funde();
            const std::lock_guard<std::mutex> l(sperre);
            for (const TNetzSuche::TScannerFund& f : funde)
                gefunden.append(IPv4Text(basis | f.N));
            const TSuchBericht& b = suche.Bericht();
            summe.EigeneArpS = summe.EigeneArpS || b.EigeneArpS;
            summe.EchoRohS = summe.EchoRohS || b.EchoRohS;
            summe.ArpGesendet += b.ArpGesendet;
            summe.EchoGesendet += b.EchoGesendet;
            summe.Zurueckgestellt += b.Zurueckgestellt;
            summe.Abgewiesen += b.Abgewiesen;
        });
    for (std::thread& t : threads)
        t.join();
    return {{"sekunden", uhr.nsecsElapsed() / 1e9},     {"gefunden", gefunden},
            {"eigene_arp", summe.EigeneArpS},           {"echo_roh", summe.EchoRohS},
            {"arp_gesendet", summe.ArpGesendet},        {"echo_gesendet", summe.EchoGesendet},
            {"zurueckgestellt", summe.Zurueckgestellt}, {"abgewiesen", summe.Abgewiesen}};
}

TLinuxNetz netz;
TLinuxNetzSuche suche;
TLinuxDateien dateien;
TLaufzeit laufzeit;

QJsonObject Sweep(QCoreApplication& app, const QStringList& teile, const QStringList& eigeneMacs) {
    QTemporaryDir ordner;
    THostList liste(ordner.filePath(QStringLiteral("Hostliste.txt")), dateien, [] { return 0u; });
    QObject kontext;
    QElapsedTimer uhr;
    uhr.start();
    laufzeit.ScannerAnzahl = 0;
    for (const QString& teil : teile)
        TScannerThread::Create(
            teil, liste, TScannerUmgebung{netz, suche, laufzeit}, &kontext,
            [&app](TScannerThread*) {
                if (--laufzeit.ScannerAnzahl == 0)
                    app.quit();
            },
            eigeneMacs);
    if (laufzeit.ScannerAnzahl > 0)
        app.exec();
    const double sekunden = uhr.nsecsElapsed() / 1e9;
    QJsonArray hosts;
    for (const THostListRec& h : liste.GetListe())
        hosts.append(QJsonArray{h.PC, h.User, h.IP, h.MAC});
    return {{"sekunden", sekunden}, {"hosts", hosts}};
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList argumente = app.arguments();
    if (argumente.contains(QStringLiteral("--echo")))
        SetzeLinuxSuchWeg(TSuchWeg::NurEcho);
    TBroadcastList netze;
    FillBroadcastList(netz, true, netze);
    if (netze.isEmpty()) {
        std::fprintf(stderr, "bench_scanner: no usable network here\n");
        return 1;
    }
    laufzeit.SetzeEigeneMAC(netze.first().MAC);
    laufzeit.ScannerS = true;
    QStringList eigeneMacs;
    for (const TBroadcastRec& n : netze)
        eigeneMacs << n.MAC;
    const QStringList teile = ScannerIPTeile(netze);
    QJsonObject ergebnis = argumente.contains(QStringLiteral("--entdeckung")) ? Entdeckung(teile)
                                                                              : Sweep(app, teile, eigeneMacs);
    ergebnis.insert(QStringLiteral("bloecke"), int(teile.size()));
    std::printf("%s\n", QJsonDocument(ergebnis).toJson(QJsonDocument::Compact).constData());
    return 0;
}
