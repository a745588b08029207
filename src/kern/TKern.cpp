#include "kern/TKern.h"

#include "common/TFelder.h"
#include "power/Befehlsweg.h"
#include "power/WakeOnLan.h"
#include "protocol/Befehlsprotokoll.h"
#include "protocol/Nachrichten.h"
#include "protocol/Netzwerkschluessel.h"
#include "schedule/TZeitsteuerung.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

namespace {
// The answer to a schedule request or sending: 501 steps of 5 ms in the old wait loop.
constexpr int ZsFristMs = 2505;
constexpr int WeckAbstandMs = 50;
constexpr int WeckAnzahl = 5;
// Far longer than the shutdown command or a hibernation request take to hand over.
constexpr int EnergieFristMs = 60000;
} // namespace

TKern::TKern(TPlattform plattform, TLaufzeit& laufzeit, TZeitsteuerungFelder& felder, TKernOptionen optionen,
             TMelder melden, QObject* parent)
    : QObject(parent), FPlattform(plattform), FLaufzeit(laufzeit), FOptionen(optionen), FMelden(melden),
      FSonde(std::make_shared<const TNetzwerkSonde>(plattform.Netz)), FBefehl(optionen.BefehlPort),
      FSender(optionen.SenderPort) {
    for (QTimer* t : {&Timer1Sender, &Timer1UdpTimer, &Timer1Icmp, &Timer1SetSuspendState,
                      &Timer1Zeitsteuerung, &FSpeichern, &FZsFrist, &FEnergieFrist})
        t->setSingleShot(true); // every tick re-arms its timer itself
    connect(&Timer1Sender, &QTimer::timeout, this, &TKern::Timer1SenderTimer);
    connect(&Timer1UdpTimer, &QTimer::timeout, this, &TKern::Timer1UdpTimerTimer);
    connect(&Timer1Icmp, &QTimer::timeout, this, &TKern::Timer1IcmpTimer);
    connect(&Timer1SetSuspendState, &QTimer::timeout, this, [this] {
        Timer1SetSuspendState.stop();
        FPlattform.Energie.Schlafen();
        EnergieBeendet();
    });
    connect(&FEnergieFrist, &QTimer::timeout, this, &TKern::EnergieBeendet);
    connect(&Timer1Zeitsteuerung, &QTimer::timeout, this, &TKern::Timer1ZeitsteuerungTimer);
    connect(&FSpeichern, &QTimer::timeout, this, &TKern::HostlisteJetztSpeichern);
    connect(&FZsFrist, &QTimer::timeout, this, &TKern::ZeitsteuerungWartenBeenden);

    connect(&FSender, &TUdpListener::DatagrammEmpfangen, this,
            [this](const QByteArray& daten, const QString& ip, quint16) { SenderDatagramm(daten, ip); });
    connect(&FBefehl, &TUdpListener::DatagrammEmpfangen, this,
            [this](const QByteArray& daten, const QString& ip, quint16 port) {
                BefehlDatagramm(daten, ip, port);
            });

    const TSchluesselGelesen schluessel = SchluesselLesen(FPlattform.Dateien, FLaufzeit.SchluesselDatei);
    FSchluessel = schluessel.Schluessel;
    if (!schluessel.Meldung.isEmpty() && FMelden)
        FMelden(schluessel.Meldung);

    QDir().mkpath(QFileInfo(FLaufzeit.HostlisteDatei).absolutePath());
    FProtokoll = std::make_unique<TBefehlsprotokoll>(FLaufzeit.BefehleDatei, FPlattform.Dateien, FMelden);
    FHostList = std::make_unique<THostList>(
        FLaufzeit.HostlisteDatei, FPlattform.Dateien, [&uhr = FPlattform.Uhr] { return uhr.TickCount(); },
        melden);
    // The probe and the scanner change the store from their threads: the report comes queued.
    connect(FHostList.get(), &THostList::Geaendert, this, &TKern::ListeMelden, Qt::QueuedConnection);

    FZeitsteuerung =
        std::make_unique<TZeitsteuerung>(felder, FLaufzeit.ZeitsteuerungDatei, ProgStartDateTime,
                                         FPlattform.Dateien, [&uhr = FPlattform.Uhr] { return uhr.Jetzt(); });
    FZeitsteuerung->TimerStoppen = [this] { Timer1Zeitsteuerung.stop(); };
    FZeitsteuerung->Melden = std::move(melden);
    FZeitsteuerung->ZeitsteuerungLadenSpeichern(true);
    ProgStartDateTime = FPlattform.Uhr.Jetzt();
}

TKern::~TKern() {
    ListenerAktivieren(false);
    delete FIcmpThread.data(); // stops at its next check and waits, before the store goes
    if (FSpeichern.isActive())
        HostlisteJetztSpeichern();
}

void TKern::Starten() {
    ListenerAktivieren(true);
    Timer1Icmp.start(2100);
    Timer1SenderTimer();
}

void TKern::NurSenden() {
    ListenerAktivieren(true);
    FillBroadcastList(FPlattform.Netz, true, FBroadcastIPs);
    if (!FBroadcastIPs.isEmpty())
        FLaufzeit.SetzeEigeneMAC(FBroadcastIPs.first().MAC);
}

void TKern::Beenden() {
    FLaufzeit.StopS = true;
    for (QTimer* t : {&Timer1Sender, &Timer1UdpTimer, &Timer1Icmp, &Timer1Zeitsteuerung, &FZsFrist})
        t->stop();
    SendBroadcast(false);
    FProtokoll->Schreiben();
    FZeitsteuerung->ZeitsteuerungLadenSpeichern(false);
    // A failed save of the list gets one more try: there may be room again.
    if (FSpeichern.isActive() || !FHostList->SpeicherFehler().isEmpty())
        HostlisteJetztSpeichern();
}

QStringList TKern::SpeicherFehler() const {
    QStringList texte;
    for (const QString& t : {FHostList->SpeicherFehlerText(), FZeitsteuerung->SpeicherFehlerText()})
        if (!t.isEmpty())
            texte << t;
    return texte;
}

void TKern::Anhalten() {
    FLaufzeit.StopS = true;
    for (QTimer* t : {&Timer1Sender, &Timer1Icmp, &Timer1Zeitsteuerung})
        t->stop();
    SendBroadcast(false);
    ListenerAktivieren(false);
}

void TKern::Fortsetzen() {
    FLaufzeit.StopS = false;
    Timer1UdpTimer.start(5000);
}

void TKern::ListenerAktivieren(bool aktivS) {
    FBefehl.Aktivieren(aktivS);
    FSender.Aktivieren(aktivS);
}

void TKern::ListeMelden() {
    FHostList->MeldungAbgeholt();
    // Said once per run, in the status bar beside the file messages.
    if (const QString voll = FHostList->VollMeldungAbholen(); !voll.isEmpty() && FMelden)
        FMelden(voll);
    emit ListeGeaendert();
}

// --- Presence ---------------------------------------------------------------------------------

void TKern::Timer1SenderTimer() {
    Timer1Sender.stop();
    if (FLaufzeit.StopS)
        return;
    Timer1Sender.setInterval(2000);
    // A port another program held at the start may be free by now.
    if (!FBefehl.Aktiv() || !FSender.Aktiv())
        ListenerAktivieren(true);
    SendBroadcast(true);
    if (!FLaufzeit.StopS)
        Timer1Sender.start();
}

void TKern::Timer1UdpTimerTimer() {
    Timer1UdpTimer.stop();
    if (FLaufzeit.StopS)
        return;
    ListenerAktivieren(true);
    Timer1Sender.start(50);
    Timer1Icmp.start(75);
}

void TKern::SendBroadcast(bool onlineS) {
    FillBroadcastList(FPlattform.Netz, true, FBroadcastIPs);
    const bool netzS = !FBroadcastIPs.isEmpty();
    emit NetzVerfuegbar(netzS);
    if (netzS) {
        FLaufzeit.SetzeEigeneMAC(FBroadcastIPs.first().MAC);
        for (const TBroadcastRec& b : std::as_const(FBroadcastIPs))
            if (!FSender.Senden(
                    Protokoll::Praesenz(onlineS, FLaufzeit.EigenerPC, FLaufzeit.EigenerName, b.MAC),
                    b.BroadcastIP, FOptionen.SenderPort, b.IP, b.Schnittstelle)) {
                // The next attempt comes later than usual; what went out stays out.
                Timer1Sender.setInterval(5000);
                return;
            }
    } else if (!FLaufzeit.EigeneMAC().isEmpty()) {
        // The last interface has just gone: once per loss, every host off line.
        FLaufzeit.SetzeEigeneMAC(QString());
        FHostList->AlleOffline();
        ListeMelden();
    }
}

void TKern::SenderDatagramm(const QByteArray& daten, const QString& absenderIp) {
    const std::optional<QString> text = Protokoll::Annehmen(daten, FLaufzeit.StopS);
    const std::optional<Protokoll::TPraesenzRec> praesenz =
        text ? Protokoll::LesePraesenz(*text) : std::nullopt;
    if (!praesenz)
        return;

    // The schedule has no clock of its own: every announcement, the own ones every 2 s,
    // runs its due test.
    if (!Timer1Zeitsteuerung.isActive() && FZeitsteuerung->IsZeitsteuerung(FLaufzeit.StopS, FSchonIcmpS))
        Timer1Zeitsteuerung.start(50);

    const int neu =
        FHostList->Add(Protokoll::PraesenzEintrag(*praesenz, absenderIp, FHostList->Tick()), false);
    if (neu >= 0 || FHostList->ChangeS()) {
        HostlisteSpeichern();
        // The view follows at once, not only when the queued report arrives.
        ListeMelden();
    }
}

void TKern::HostlisteSpeichern() {
    // Changes that come in a burst share one save: each save goes to the disk (fsync),
    // and a flood of changing announcements must not hold the window up. A long save (a
    // full list of long names takes well over 100 ms) waits ten times as long for the next.
    if (!FSpeichern.isActive())
        FSpeichern.start(std::max<qint64>(250, 10 * FSpeicherDauerMs));
}

void TKern::HostlisteJetztSpeichern() {
    FSpeichern.stop();
    QElapsedTimer dauer;
    dauer.start();
    FHostList->LoadSaveListe(false);
    FSpeicherDauerMs = dauer.elapsed();
}

// --- Probe ------------------------------------------------------------------------------------

void TKern::Timer1IcmpTimer() {
    Timer1Icmp.stop();
    FSchonIcmpS = true;
    // One pass at a time; its completion re-arms the timer.
    if (FIcmpThread && FIcmpThread->isRunning())
        return;
    FIcmpThread = TIcmpThread::Create(
        *FHostList, FLaufzeit, this, [this](const TIcmpDurchlaufBericht& b) { IcmpTerminated(b); }, FSonde);
}

void TKern::IcmpTerminated(const TIcmpDurchlaufBericht& b) {
    ++FSondenLaeufe;
    FSondenBericht = QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                         .arg(b.Anfragen)
                         .arg(b.Erreicht)
                         .arg(b.Neustarts)
                         .arg(b.AngehaltenS ? 1 : 0)
                         .arg(b.AusnahmeS ? 1 : 0)
                         .arg(b.Spaet)
                         .arg(b.KeinIcmpS ? 1 : 0);
    // Said once, for as long as it holds.
    if (b.KeinIcmpS && FIcmpHindernis.isEmpty())
        FIcmpHindernis = FPlattform.Netz.IcmpHindernis();
    else if (!b.KeinIcmpS && !b.AngehaltenS)
        FIcmpHindernis.clear();
    Timer1Icmp.setInterval(2100);
    if (!FLaufzeit.StopS)
        Timer1Icmp.start();
}

QString TKern::EmpfangsZustand() const {
    return FBefehl.Zustand() + QStringLiteral(", ") + FSender.Zustand();
}

QString TKern::SondenZustand() const {
    return QStringLiteral("%1 %2 %3")
               .arg(FSondenLaeufe)
               .arg(FIcmpThread && FIcmpThread->isRunning() ? 1 : 0)
               .arg(Timer1Icmp.isActive() ? Timer1Icmp.remainingTime() : -1) +
           u' ' + FSondenBericht;
}

// --- Commands ---------------------------------------------------------------------------------

void TKern::SchluesselSetzen(const std::optional<QByteArray>& schluessel) {
    FSchluessel = schluessel;
    emit SchluesselGeaendert(FSchluessel.has_value());
}

QString TKern::Signiert(const QString& text) const {
    if (!FSchluessel)
        return text;
    return Signatur::Signieren(text, *FSchluessel, FPlattform.Uhr.Jetzt().toSecsSinceEpoch(),
                               Signatur::NeueNonce());
}

void TKern::BefehlDatagramm(const QByteArray& daten, const QString& absenderIp, quint16 absenderPort) {
    const std::optional<QString> text = Protokoll::Annehmen(daten, FLaufzeit.StopS);
    if (!text)
        return;
    const TFelder felder(*text);
    const QString befehl = felder.Feld(2);
    const bool energieS = befehl == Protokoll::Einschlafen || befehl == Protokoll::Herunterfahren ||
                          befehl == Protokoll::Neustart;
    if (!energieS && befehl != Protokoll::ZsSenden) {
        // The schedule's reads and answers stay unsigned, with or without a key.
        ZeitsteuerungsBefehl(befehl, felder.Anzahl() > 2 ? felder.RestAbFeld3() : QString(), absenderIp);
        return;
    }
    const QDateTime jetzt = FPlattform.Uhr.Jetzt();
    const auto protokoll = [&](const QString& ergebnis) {
        FProtokoll->Eintragen(jetzt, absenderIp, absenderPort, befehl, ergebnis);
    };
    QString datagramm = *text;
    if (FSchluessel) {
        const Signatur::TErgebnis pruefung = FPruefer.Pruefen(*text, *FSchluessel, jetzt.toSecsSinceEpoch());
        if (pruefung.Art != Signatur::TErgebnis::Gueltig) {
            protokoll(Signatur::Grund(pruefung));
            return;
        }
        datagramm = pruefung.Datagramm;
    }
    if (energieS) {
        if (FEnergieLaeuftS) {
            protokoll(QStringLiteral("läuft bereits"));
            return;
        }
        EnergieAusfuehren(befehl);
    } else {
        const TFelder ohneSignatur(datagramm);
        ZeitsteuerungsBefehl(befehl, ohneSignatur.Anzahl() > 2 ? ohneSignatur.RestAbFeld3() : QString(),
                             absenderIp);
    }
    protokoll(QStringLiteral("ausgeführt"));
}

void TKern::EnergieAusfuehren(const QString& befehl) {
    FEnergieLaeuftS = true;
    FEnergieFrist.start(EnergieFristMs);
    const auto beendet = [kern = QPointer<TKern>(this), lauf = ++FEnergieLauf] {
        if (kern && kern->FEnergieLauf == lauf)
            kern->EnergieBeendet();
    };
    if (befehl == Protokoll::Einschlafen) {
        // Hibernation where the system allows it, otherwise sleep a moment later.
        FPlattform.Energie.HibernationPruefen([kern = QPointer<TKern>(this), beendet](bool erlaubtS) {
            if (kern && (!erlaubtS || !kern->FPlattform.Energie.Hibernieren(beendet)))
                kern->Timer1SetSuspendState.start(250);
        });
        return;
    }
    const bool gestartetS = befehl == Protokoll::Herunterfahren ? FPlattform.Energie.Herunterfahren(beendet)
                                                                : FPlattform.Energie.Neustarten(beendet);
    if (!gestartetS)
        EnergieBeendet();
}

void TKern::EnergieBeendet() {
    FEnergieFrist.stop();
    FEnergieLaeuftS = false;
}

bool TKern::WakeUpComputer(const QString& mac) {
    const std::optional<QByteArray> paket = MagicPacket(mac);
    if (!paket)
        return false;
    for (const TBroadcastRec& b : std::as_const(FBroadcastIPs))
        if (!FBefehl.SendenBytes(*paket, b.BroadcastIP, FOptionen.BefehlPort, b.IP, b.Schnittstelle))
            return false;
    return true;
}

bool TKern::Wecken(const QString& mac, int verbleibend) {
    // A malformed address or a failed send skips the remaining repetitions.
    if (verbleibend <= 0 || FLaufzeit.StopS || !WakeUpComputer(mac))
        return false;
    if (verbleibend > 1)
        QTimer::singleShot(WeckAbstandMs, this, [this, mac, verbleibend] { Wecken(mac, verbleibend - 1); });
    return true;
}

void TKern::SendBefehl(int nr, const THostListRec& host, TBefehlErgebnis fertig) {
    const TBefehlsweg weg = BefehlsWeg(nr, host);
    auto gesendet = [&fertig](bool gesendetS) {
        if (fertig)
            fertig(gesendetS ? QString() : QStringLiteral("nicht gesendet"));
    };
    switch (weg.Art) {
    case TBefehlsweg::Nichts:
        gesendet(false);
        break;
    case TBefehlsweg::Aufwecken:
        gesendet(Wecken(host.MAC, WeckAnzahl));
        break;
    case TBefehlsweg::Datagramm:
        gesendet(FBefehl.Senden(Signiert(Protokoll::Befehl(weg.Wort)), host.IP, FOptionen.BefehlPort));
        break;
    case TBefehlsweg::Fernabschaltung:
        FPlattform.Energie.FernAbschalten(host.IP, weg.NeustartS, [fertig](const QString& fehler) {
            if (fertig)
                fertig(fehler);
        });
        break;
    }
}

// --- Schedule ---------------------------------------------------------------------------------

void TKern::Timer1ZeitsteuerungTimer() {
    Timer1Zeitsteuerung.stop();
    const std::optional<int> nr = FZeitsteuerung->AusfuehrungMerken();
    const QString eigeneMac = FLaufzeit.EigeneMAC();
    // The own entry normally carries the Sender mark, so the command goes to the own
    // command listener as a datagram.
    if (nr && !eigeneMac.isEmpty())
        SendBefehl(*nr, FHostList->FindMAC(eigeneMac));
}

void TKern::ZeitsteuerungsBefehl(const QString& befehl, const QString& rest, const QString& absenderIp) {
    if (befehl == Protokoll::ZsAnfordern) {
        FBefehl.Senden(
            Protokoll::MitZeitsteuerung(Protokoll::ZsAntwort, FZeitsteuerung->GetZeitsteuerung(true, false)),
            absenderIp, FOptionen.BefehlPort);
    } else if (befehl == Protokoll::ZsAntwort) {
        if (FWarten == TWarten::Antwort) {
            FWarten = TWarten::Nichts;
            FZsFrist.stop();
            emit ZeitsteuerungErhalten(rest);
        }
    } else if (befehl == Protokoll::ZsSenden) {
        FZeitsteuerung->SetZeitsteuerung(rest, true, true);
        FBefehl.Senden(Protokoll::Befehl(Protokoll::ZsGesendet), absenderIp, FOptionen.BefehlPort);
    } else if (befehl == Protokoll::ZsGesendet) {
        if (FWarten == TWarten::Bestaetigung) {
            FWarten = TWarten::Nichts;
            FZsFrist.stop();
            emit ZeitsteuerungBestaetigt(true);
        }
    }
}

void TKern::ZeitsteuerungAnfordern(const QString& ip) {
    FWarten = TWarten::Antwort;
    if (FBefehl.Senden(Protokoll::Befehl(Protokoll::ZsAnfordern), ip, FOptionen.BefehlPort))
        FZsFrist.start(ZsFristMs);
    else
        ZeitsteuerungWartenBeenden();
}

void TKern::ZeitsteuerungSenden(const QString& ip, const QString& text) {
    FWarten = TWarten::Bestaetigung;
    if (FBefehl.Senden(Signiert(Protokoll::MitZeitsteuerung(Protokoll::ZsSenden, text)), ip,
                       FOptionen.BefehlPort))
        FZsFrist.start(ZsFristMs);
    else
        ZeitsteuerungWartenBeenden();
}

void TKern::ZeitsteuerungWartenBeenden() {
    FZsFrist.stop();
    const TWarten warten = std::exchange(FWarten, TWarten::Nichts);
    if (warten == TWarten::Antwort)
        emit ZeitsteuerungErhalten(std::nullopt);
    else if (warten == TWarten::Bestaetigung)
        emit ZeitsteuerungBestaetigt(false);
}
