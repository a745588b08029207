// The subnet scanner's part of the controller: the polling tick that starts a sweep, the
// completion of its threads, and stopping them when the window goes.

#include "app/TForm1.h"

#include "app/TCti.h"
#include "common/ResConst.h"
#include "net/ScannerBloecke.h"
#include "net/TScannerThread.h"
#include "ui/TMeldungen.h"

#include <QApplication>
#include <utility>

namespace {
QString ScannerMeldung() {
    return QStringLiteral(
        "Der Netzwerkscanner wurde aktiviert!\r\nEs wird ein Mal im Netzwerk nach aktivierten "
        "Geräten gesucht. Anschließend wird der Scanner wieder deaktiviert.");
}
} // namespace

void TForm1::ScannerTimerSchritt() {
    Timer1Scanner.stop();
    Timer1Scanner.setInterval(250);
    const TBroadcastList netze = FKern->BroadcastIPs();
    if (!FLaufzeit.StopS && FLaufzeit.ScannerS && FLaufzeit.ScannerAnzahl <= 0 &&
        !FLaufzeit.EigeneMAC().isEmpty() && !netze.isEmpty() && !ScannerOhneIcmp()) {
        // The threads use the host list: the close sequence stops them and waits.
        connect(this, &TForm1::Beendet, this, &TForm1::ScannerBeenden, Qt::UniqueConnection);
        QStringList eigeneMacs;
        for (const TBroadcastRec& netz : netze)
            eigeneMacs << netz.MAC;
        for (const QString& teil : ScannerIPTeile(netze)) {
            const QPointer<TScannerThread> thread = TScannerThread::Create(
                teil, FKern->HostList(), TScannerUmgebung{FPlattform.Netz, FPlattform.NetzSuche, FLaufzeit},
                this, [this](TScannerThread* t) { ScannerTerminated(t); }, eigeneMacs);
            ScannerThreads.append(thread.data());
            QThread::yieldCurrentThread();
        }
        // Ticked by the user in the shown window (from the tray, a balloon says it instead).
        if (!CtiSichtbar() && focusWidget() == Cb1Scanner) {
            ListView1->setFocus();
            Meldungen::Information(this, ScannerMeldung());
        }
    }
    if (!FLaufzeit.StopS)
        Timer1Scanner.start();
}

bool TForm1::ScannerOhneIcmp() {
    // A sweep counts only hosts that answer an echo: without one it would report a few
    // hosts as if they were all.
    const QString hindernis = FPlattform.Netz.IcmpHindernis();
    if (hindernis.isEmpty())
        return false;
    Cb1Scanner->setChecked(false); // its handler switches ScannerS off
    const QString text = QStringLiteral("Der Netzwerkscanner kann nicht suchen.\r\n") + hindernis;
    if (CtiSichtbar()) {
        Timer1Balloon.stop();
        Cti->BalloonZeigen(ProgrammTitel, text, 15000);
    } else {
        Meldungen::Fehler(this, text);
    }
    return true;
}

void TForm1::ScannerTerminated(QThread* sender) {
    qsizetype i = 0;
    while (i < ScannerThreads.size() && (!sender || ScannerThreads[i].data() != sender))
        ++i;
    // Not ours (any more): ScannerBeenden has counted it out already.
    if (i == ScannerThreads.size())
        return;
    ScannerThreads.removeAt(i);
    if (FLaufzeit.ScannerAnzahl == 1 && !FLaufzeit.StopS) {
        if (Cb1Scanner->isChecked())
            Cb1Scanner->setChecked(false); // its handler switches ScannerS off
        if (!FPlattform.Klaenge.KlangSpielen(TKlaenge::TKlang::Asterisk))
            QApplication::beep();
    }
    FLaufzeit.ScannerAnzahl = qMax(0, FLaufzeit.ScannerAnzahl - 1);
}

void TForm1::ScannerBeenden() {
    const QList<QPointer<QThread>> threads = std::exchange(ScannerThreads, {});
    for (const QPointer<QThread>& t : threads)
        if (t)
            t->requestInterruption();
    for (const QPointer<QThread>& t : threads)
        delete t.data(); // waits until its sweep has stopped
    FLaufzeit.ScannerAnzahl = 0;
}
