#pragma once
// The session's work that needs no window: the host list store and its file, both listeners,
// the presence cycle, the reachability probe, the command port (power actions on this
// computer, the schedule exchange) and the own schedule. The window drives it and observes
// it through signals; a program without a window could run it alone.

#include "common/TLaufzeit.h"
#include "hosts/THostList.h"
#include "net/Netzwerkschnittstellen.h"
#include "net/TIcmpThread.h"
#include "platform/TPlattform.h"
#include "protocol/Signatur.h"
#include "protocol/TUdpListener.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

class TBefehlsprotokoll;
class TZeitsteuerung;
class TZeitsteuerungFelder;

struct TKernOptionen {
    // The listeners' ports, and the ports peers are addressed at.
    quint16 BefehlPort = 17170;
    quint16 SenderPort = 17171;
};

class TKern : public QObject {
    Q_OBJECT
public:
    // plattform and laufzeit must outlive the core; felder are the fields every schedule
    // text passes through (the schedule dialog, or editors without a window); melden hears
    // what went wrong with the host list and schedule files, from the first load on.
    using TMelder = std::function<void(const QString& text)>;
    TKern(TPlattform plattform, TLaufzeit& laufzeit, TZeitsteuerungFelder& felder, TKernOptionen optionen,
          TMelder melden = {}, QObject* parent = nullptr);
    ~TKern() override;

    // Listeners on, the first announcement out, the probe armed.
    void Starten();
    // For a command line without a running instance: listeners on and the interfaces read,
    // but no announcement and no probe.
    void NurSenden();
    // The close sequence: the timers stop, "offline" goes out, the files are saved.
    void Beenden();
    // Sleep begins: quiet on the network until Fortsetzen.
    void Anhalten();
    void Fortsetzen();

    THostList& HostList() { return *FHostList; }
    const TBroadcastList& BroadcastIPs() const { return FBroadcastIPs; }
    TZeitsteuerung& Zeitsteuerung() { return *FZeitsteuerung; }
    const TKernOptionen& Optionen() const { return FOptionen; }
    // Whether a probe pass has started: the schedule waits for the first one.
    bool SchonIcmpS() const { return FSchonIcmpS; }

    // Power action nr (the context menu's numbering) for host: a magic packet five times,
    // 50 ms apart, a datagram, or the remote shutdown of a computer without a peer. fertig
    // runs once, at once or (remote shutdown) later: with an empty text when the order went
    // out (for a magic packet: its first copy), else with the reason it did not.
    using TBefehlErgebnis = std::function<void(const QString& fehler)>;
    void SendBefehl(int nr, const THostListRec& host, TBefehlErgebnis fertig = {});

    // The schedule exchange with a peer. The answer, or its absence after about 2.5 s, comes
    // back as ZeitsteuerungErhalten / ZeitsteuerungBestaetigt; one exchange at a time.
    void ZeitsteuerungAnfordern(const QString& ip);
    void ZeitsteuerungSenden(const QString& ip, const QString& text);
    bool ZeitsteuerungWartetS() const { return FWarten != TWarten::Nichts; }

    // The host list file after changes: at most one save every 250 ms.
    void HostlisteSpeichern();
    void HostlisteJetztSpeichern();
    bool SpeichernAusstehendS() const { return FSpeichern.isActive(); }
    // What the last saves of the host list and the schedule could not write, for the close.
    QStringList SpeicherFehler() const;

    // The network key (Signatur.h): with one, the power commands and schedule writes this
    // computer sends are signed, and those it receives are carried out only when they verify.
    // Nothing: everything as without a key. Takes effect at once.
    void SchluesselSetzen(const std::optional<QByteArray>& schluessel);
    bool SchluesselAktivS() const { return FSchluessel.has_value(); }

    // The listeners' handlers: a presence on the sender port, a command on the command port.
    void SenderDatagramm(const QByteArray& daten, const QString& absenderIp);
    void BefehlDatagramm(const QByteArray& daten, const QString& absenderIp, quint16 absenderPort = 0);
    // Announces this computer on every interface; refreshes the interfaces first.
    void SendBroadcast(bool onlineS);

    // For the diagnostics: both listeners, and the probe (passes, running, next in ms, last
    // pass's report).
    QString EmpfangsZustand() const;
    QString SondenZustand() const;
    // Why no echo request can be sent (the last pass found none); empty while it can.
    const QString& IcmpHindernis() const { return FIcmpHindernis; }

    QDateTime ProgStartDateTime;

    QTimer Timer1Sender;
    QTimer Timer1UdpTimer;
    QTimer Timer1Icmp;
    QTimer Timer1SetSuspendState;
    QTimer Timer1Zeitsteuerung;

signals:
    // The store changed (rows added, removed or marked): the view follows.
    void ListeGeaendert();
    // Whether any interface exists to announce on (and so to sweep).
    void NetzVerfuegbar(bool netzS);
    // The peer's stamped schedule, or nothing when no answer came.
    void ZeitsteuerungErhalten(const std::optional<QString>& text);
    void ZeitsteuerungBestaetigt(bool bestaetigtS);
    void SchluesselGeaendert(bool aktivS);

private:
    // Tests reach the interfaces and the single magic packet through the window's test access.
    friend class TForm1Innen;

    void ListeMelden();
    void ListenerAktivieren(bool aktivS);
    bool WakeUpComputer(const QString& mac);
    bool Wecken(const QString& mac, int verbleibend);
    void ZeitsteuerungsBefehl(const QString& befehl, const QString& rest, const QString& absenderIp);
    void ZeitsteuerungWartenBeenden();
    // A power command or schedule write as it goes out: signed when a key is set.
    QString Signiert(const QString& text) const;
    // One power action on this computer at a time: until the program that carries it out
    // has ended (or the sleep call has returned), further commands are refused.
    void EnergieAusfuehren(const QString& befehl);
    void EnergieBeendet();

    void Timer1SenderTimer();
    void Timer1UdpTimerTimer();
    void Timer1IcmpTimer();
    void Timer1ZeitsteuerungTimer();
    void IcmpTerminated(const TIcmpDurchlaufBericht& bericht);

    TPlattform FPlattform;
    TLaufzeit& FLaufzeit;
    TKernOptionen FOptionen;
    TMelder FMelden;
    std::shared_ptr<const TNetzwerkSonde> FSonde;
    std::unique_ptr<THostList> FHostList;
    std::unique_ptr<TZeitsteuerung> FZeitsteuerung;
    TUdpListener FBefehl;
    TUdpListener FSender;
    TBroadcastList FBroadcastIPs;
    QTimer FSpeichern;
    qint64 FSpeicherDauerMs = 0; // the last save of the host list
    bool FSchonIcmpS = false;
    QPointer<TIcmpThread> FIcmpThread;
    int FSondenLaeufe = 0;
    // The last pass: hosts asked, online, restarts, stopped, failed, late, no ICMP.
    QString FSondenBericht;
    QString FIcmpHindernis;
    // The running schedule exchange: which answer it waits for, and its deadline.
    enum class TWarten { Nichts, Antwort, Bestaetigung } FWarten = TWarten::Nichts;
    QTimer FZsFrist;
    std::optional<QByteArray> FSchluessel;
    Signatur::TPruefer FPruefer;
    std::unique_ptr<TBefehlsprotokoll> FProtokoll;
    bool FEnergieLaeuftS = false;
    quint64 FEnergieLauf = 0; // which action an end report belongs to
    QTimer FEnergieFrist;     // a program that never ends does not lock the port for good
};
