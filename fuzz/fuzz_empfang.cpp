// Datagrams on a live main window: both reception handlers of a real TForm1, with the
// recording platform (no command can start a program or put anything to sleep), listeners on
// ephemeral ports, inside a network namespace of its own.
//
// Input: one datagram per line. The first byte picks the port: 'B' the command port with
// hibernation allowed, 'b' the command port with hibernation refused, anything else the
// presence port. The second byte picks the source address (low three bits) and how far the
// tick count moves before the datagram (the other five bits, in seconds). The rest of the
// line is the payload.
//
// After every datagram: the view shows exactly the store, the host list file reads back to
// the store, no message box was shown, and the command port did exactly what the datagram's
// command word asks (presence datagrams start nothing at all).
#include "FuzzStuetze.h"

#include "app/TForm1.h"
#include "common/DatumZeit.h"
#include "common/ResConst.h"
#include "common/TFelder.h"
#include "hosts/HostlisteDatei.h"
#include "protocol/Nachrichten.h"
#include "schedule/Zeitsteuerung.h"
#include "schedule/ZeitsteuerungDatei.h"
#include "support/TForm1Innen.h"

#include <QApplication>
#include <QFile>
#include <QSet>
#include <QThread>

namespace {

TForm1* form = nullptr;
QDate startTag;

const char* const Absender[8] = {"10.0.0.1",  "10.0.0.2",     "10.0.0.3",   "10.0.0.254",
                                 "10.0.0.77", "192.168.1.20", "172.16.5.9", "10.0.0.2"};

QByteArray DateiInhalt(const QString& pfad) {
    QFile datei(pfad);
    return datei.open(QIODevice::ReadOnly) ? datei.readAll() : QByteArray();
}

void AlleTimerAus() {
    for (QTimer* t : {&Innen(*form).Timer1Start, &Innen(*form).Timer1StatusBar, &Innen(*form).Timer1Sender,
                      &Innen(*form).Timer1UdpTimer, &Innen(*form).Timer1Icmp, &Innen(*form).Timer1Scanner,
                      &Innen(*form).Timer1SetSuspendState, &Innen(*form).Timer1Balloon,
                      &Innen(*form).Timer1Zeitsteuerung})
        t->stop();
}

void AnsichtGleichSpeicher(const QString& wozu) {
    const THostListListe liste = Innen(*form).HostList->GetListe();
    FUZZ_PRUEFEN(Innen(*form).ListView1->rowCount() == liste.size(),
                 QStringLiteral("%1: %2 rows, %3 entries")
                     .arg(wozu)
                     .arg(Innen(*form).ListView1->rowCount())
                     .arg(liste.size()));
    for (int i = 0; i < liste.size(); ++i) {
        const QStringList soll = ZellTexte(liste[i]);
        for (int s = 0; s < soll.size(); ++s) {
            const QTableWidgetItem* zelle = Innen(*form).ListView1->item(i, s);
            const QString ist = zelle ? zelle->text() : QStringLiteral("<none>");
            FUZZ_PRUEFEN(ist == soll[s], QStringLiteral("%1: row %2 column %3 shows %4, the store holds %5")
                                             .arg(wozu)
                                             .arg(i)
                                             .arg(s)
                                             .arg(Lesbar(ist), Lesbar(soll[s])));
        }
    }
}

void SpeicherEindeutig() {
    QSet<QString> macs;
    for (const THostListRec& e : Innen(*form).HostList->GetListe()) {
        FUZZ_PRUEFEN(!macs.contains(e.MAC), QStringLiteral("MAC %1 listed twice").arg(Lesbar(e.MAC)));
        macs.insert(e.MAC);
    }
}

// What was saved last is what the store holds: nothing written to the file is lost or stale.
void DateiGleichSpeicher(const QString& wozu) {
    const THostListListe liste = Innen(*form).HostList->GetListe();
    if (liste.isEmpty()) {
        FUZZ_PRUEFEN(!QFile::exists(Laufzeit().HostlisteDatei),
                     wozu + QStringLiteral(": empty list, but a file"));
        return;
    }
    const THostListListe gelesen = LeseHostliste(AktuellerFake(), DateiInhalt(Laufzeit().HostlisteDatei));
    FUZZ_PRUEFEN(gelesen.size() == liste.size(), QStringLiteral("%1: the file holds %2 entries, the store %3")
                                                     .arg(wozu)
                                                     .arg(gelesen.size())
                                                     .arg(liste.size()));
    for (int i = 0; i < liste.size(); ++i) {
        const THostListRec& e = liste[i];
        const THostListRec& g = gelesen[i];
        const bool gleichS = g.PC == EinzeiligWieDatei(e.PC) && g.User == EinzeiligWieDatei(e.User) &&
                             g.IP == EinzeiligWieDatei(e.IP) && g.MAC == EinzeiligWieDatei(e.MAC);
        FUZZ_PRUEFEN(gleichS,
                     QStringLiteral("%1: entry %2 is %3|%4|%5|%6 in the store, %7|%8|%9|%10 in the file")
                         .arg(wozu)
                         .arg(i)
                         .arg(Lesbar(e.PC), Lesbar(e.User), Lesbar(e.IP), Lesbar(e.MAC))
                         .arg(Lesbar(g.PC), Lesbar(g.User), Lesbar(g.IP), Lesbar(g.MAC)));
    }
}

// The schedule after "zssenden": within the dialog's limits, in whole minutes, and saved.
void ZeitsteuerungGespeichert(const QString& wozu) {
    const TZeitsteuerungRec& z = Innen(*form).Zeitsteuerung();
    FUZZ_PRUEFEN(int(z.Aktion) >= 0 && int(z.Aktion) <= 3, wozu + QStringLiteral(": action out of range"));
    FUZZ_PRUEFEN(z.Datum.isValid() && z.Datum >= startTag && z.Datum <= QDate(2100, 12, 31),
                 wozu + QStringLiteral(": date %1 outside the limits").arg(z.Datum.toString(Qt::ISODate)));
    FUZZ_PRUEFEN(
        z.Zeit.isValid() && z.Zeit.second() == 0 && z.Zeit.msec() == 0,
        wozu + QStringLiteral(": time %1 not in whole minutes").arg(z.Zeit.toString(Qt::ISODateWithMs)));
    const QString koerper = ZeitsteuerungText(z);
    FUZZ_PRUEFEN(DateiInhalt(Laufzeit().ZeitsteuerungDatei) == koerper.toLatin1() + "\r\n",
                 wozu + QStringLiteral(": schedule file %1, schedule %2")
                            .arg(Lesbar(DateiInhalt(Laufzeit().ZeitsteuerungDatei)), Lesbar(koerper)));
    const TZeitsteuerungRec wieder = LeseZeitsteuerungText(
        QStringLiteral("00:00:00|") +
            LeseZeitsteuerungDatei(AktuellerFake(), Laufzeit().ZeitsteuerungDatei).value_or(QString()),
        QDateTime(QDate(1999, 1, 1), QTime(0, 0)));
    FUZZ_PRUEFEN(wieder == z, wozu + QStringLiteral(": the saved schedule reads back differently"));
}

void Datagramm(char art, int absenderNr, const QByteArray& daten) {
    TFakePlattform& fake = FuzzUmgebung().Fake();
    const QString ip = QString::fromLatin1(Absender[absenderNr]);
    const bool befehlS = art == 'B' || art == 'b';
    fake.Energie.FHibernationS = art == 'B';

    const THostListListe listeVorher = Innen(*form).HostList->GetListe();
    const QStringList gestartetVorher = fake.FGestartet;
    const int aufrufeVorher = int(fake.FAufrufe.size());
    const TZeitsteuerungRec zsVorher = Innen(*form).Zeitsteuerung();

    if (befehlS)
        Innen(*form).UdpS1BefehlUDPRead(daten, ip);
    else
        Innen(*form).UdpS1SenderUDPRead(daten, ip);
    QCoreApplication::processEvents();
    // Saves are held back for a moment to share one write among a burst; here the moment is over.
    if (Innen(*form).SpeichernAusstehendS())
        Innen(*form).HostlisteJetztSpeichern();

    const QString wozu =
        QStringLiteral("after %1 %2 from %3")
            .arg(befehlS ? QStringLiteral("command") : QStringLiteral("presence"), Lesbar(daten), ip);
    FUZZ_PRUEFEN(FuzzUmgebung().Meldungen.Texte.isEmpty(),
                 wozu + QStringLiteral(": a message box: ") + FuzzUmgebung().Meldungen.Texte.join(u'/'));
    AnsichtGleichSpeicher(wozu);
    SpeicherEindeutig();
    DateiGleichSpeicher(wozu);

    // What the datagram may do, read the way every receiver reads it.
    const QString text = Protokoll::Dekodieren(daten);
    const TFelder felder(text);
    const bool gueltigS = Protokoll::TagPasst(felder);
    const QString wort = befehlS && gueltigS ? felder.Feld(2) : QString();
    const QStringList neuGestartet = fake.FGestartet.mid(gestartetVorher.size());
    const QStringList neueAufrufe = fake.FAufrufe.mid(aufrufeVorher);

    QStringList sollGestartet;
    if (wort == Protokoll::Herunterfahren)
        sollGestartet = {QStringLiteral("shutdown -P")};
    else if (wort == Protokoll::Neustart)
        sollGestartet = {QStringLiteral("shutdown -r")};
    else if (wort == Protokoll::Einschlafen && fake.Energie.FHibernationS)
        sollGestartet = {QStringLiteral("systemctl hibernate")};
    FUZZ_PRUEFEN(neuGestartet == sollGestartet,
                 wozu + QStringLiteral(": started [%1], expected [%2]")
                            .arg(neuGestartet.join(u','), sollGestartet.join(u',')));
    for (const QString& aufruf : neueAufrufe)
        FUZZ_PRUEFEN(aufruf != QLatin1String("Schlafen") &&
                         !aufruf.startsWith(QLatin1String("NachrichtAnInstanz")),
                     wozu + QStringLiteral(": platform call ") + aufruf);
    FUZZ_PRUEFEN(Innen(*form).Timer1SetSuspendState.isActive() ==
                     (wort == Protokoll::Einschlafen && !fake.Energie.FHibernationS),
                 wozu + QStringLiteral(": sleep timer armed wrongly"));
    Innen(*form).Timer1SetSuspendState.stop();
    // Each datagram is judged on its own: the action it started is over before the next.
    Innen(*form).EnergieBeendet();

    if (befehlS) {
        const THostListListe listeNachher = Innen(*form).HostList->GetListe();
        FUZZ_PRUEFEN(listeNachher == listeVorher, wozu + QStringLiteral(": a command changed the host list"));
    }
    // The schedule exchange: only "zssenden" touches the own schedule.
    if (wort == Protokoll::ZsSenden)
        ZeitsteuerungGespeichert(wozu);
    else
        FUZZ_PRUEFEN(Innen(*form).Zeitsteuerung() == zsVorher,
                     wozu + QStringLiteral(": the schedule changed"));
    // A firing of the own schedule is the schedule's business, not the datagram's.
    Innen(*form).Timer1Zeitsteuerung.stop();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    PrivatesNetzOderEnde("fuzz_empfang");
    FuzzAnwendung(true);
    TTestUmgebung& umgebung = FuzzUmgebung();
    umgebung.NetzEinrichten();
    umgebung.Fake().FJetzt = QDateTime(QDate(2026, 12, 1), QTime(14, 3, 27));
    startTag = umgebung.Fake().FJetzt.date();

    TForm1Optionen optionen;
    optionen.BefehlPort = 0;
    optionen.SenderPort = 0;
    optionen.Argumente = QStringList{QStringLiteral("/systemstartup")};
    form = new TForm1(FuzzUmgebung().Plattform(), FuzzUmgebung().Laufzeit, optionen);
    // The start tick: settings, listeners (on ephemeral ports) and the first presence.
    for (int i = 0; i < 200 && Innen(*form).Timer1Start.isActive(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    FUZZ_PRUEFEN(!Innen(*form).Timer1Start.isActive(), QStringLiteral("the start tick never ran"));
    FUZZ_PRUEFEN(Innen(*form).BefehlAktiv() && Innen(*form).SenderAktiv(),
                 QStringLiteral("listeners not bound"));
    // From here on only the datagrams drive the window.
    AlleTimerAus();
    umgebung.Fake().FAufrufe.clear();
    umgebung.Meldungen.Texte.clear();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
    const QByteArray eingabe(reinterpret_cast<const char*>(daten), qsizetype(groesse));
    // Every input starts from an empty list, so a finding reproduces from its file alone.
    Innen(*form).HostList->Clear();
    Innen(*form).FSpeichern.stop();
    QFile::remove(Laufzeit().HostlisteDatei);
    Innen(*form).ListViewFuellen();
    for (const QByteArray& zeile : eingabe.split('\n')) {
        if (zeile.size() < 2)
            continue;
        const auto kopf = static_cast<unsigned char>(zeile[1]);
        FuzzUmgebung().Fake().Vorlaufen(quint32(kopf >> 3) * 1000);
        // A receive reads at most this much of a datagram.
        Datagramm(zeile[0], kopf & 7, zeile.mid(2).left(Protokoll::MaxDatagramm));
    }
    return 0;
}
