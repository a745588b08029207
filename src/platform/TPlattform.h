#pragma once
// The one place that talks to the operating system. Everything outside src/platform asks
// through this interface; linux/ implements it, the tests use a recording fake.

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TPlattform : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TPlattform() override = default;

    // --- Identity -------------------------------------------------------------------------
    virtual QString ComputerName() = 0; // empty when it cannot be read
    virtual QString UserName() = 0;     // login name of the process owner, or empty

    // --- Folders and files ----------------------------------------------------------------
    enum class TOrdner { Desktop, DesktopAlle, Autostart, AnwendungsDaten, Einstellungen };
    // Path with a trailing '/', or empty when the folder does not exist on this system.
    virtual QString SpezialOrdner(TOrdner ordner) = 0;
    virtual QString TempOrdner() = 0;    // with a trailing '/'
    virtual QString ProgrammDatei() = 0; // full path of the running executable
    // Makes a file (for a link: its target) writable for its owner so it can be replaced.
    virtual bool DateiAttributeEntfernen(const QString& pfad) = 0;

    // --- Clock ----------------------------------------------------------------------------
    virtual QDateTime Jetzt() = 0;   // local date and time
    virtual quint32 TickCount() = 0; // milliseconds, steady, wraps at 32 bits

    // --- Text encoding of the system's ANSI code page ---------------------------------------
    virtual QByteArray ZuAnsi(const QString& text) = 0;
    virtual QString VonAnsi(const QByteArray& daten) = 0;

    // --- Single instance and messages from outside -------------------------------------------
    // Message numbers another process may send to the running instance.
    static constexpr int NachrichtSchliessen1 = 1124;
    static constexpr int NachrichtSchliessen2 = 1125;
    static constexpr int NachrichtZeigen = 1224;
    // Claims the per-user instance named after the product; false when another runs.
    // Needs no application object, so a second start creates nothing.
    virtual bool InstanzBeanspruchen() = 0;
    // Once the application object exists: listen for later starts and other programs,
    // and for the end of the session and sleep events.
    virtual void SitzungBeginnen() = 0;
    // Looks for the running instance whose window caption ends with titelEnde and posts
    // it a message; false when none was found.
    virtual bool NachrichtAnInstanz(const QString& titelEnde, int nachricht) = 0;
    // The caption later starts compare against.
    virtual void SetzeFensterTitel(const QString& titel) = 0;
    // Answers read-only status queries of local tools (same user only).
    virtual void SetzeAnfrageBeantworter(std::function<QString(const QString&)> beantworter) = 0;

    // --- Power and programs ---------------------------------------------------------------
    // Whether this computer may hibernate now (asked anew each time).
    virtual bool HibernationErlaubt() = 0;
    // Puts the computer to sleep (not hibernation) with wake events left on; true when the
    // request was accepted.
    virtual bool Schlafen() = 0;
    // Starts a program found through PATH, detached; false when it could not be started.
    virtual bool ProgrammStarten(const QString& programm, const QStringList& argumente) = 0;

    // --- Session and power events --------------------------------------------------------
    // Lets the system sleep now that the leaving presence has gone out.
    virtual void SchlafFreigeben() = 0;

    // --- Network --------------------------------------------------------------------------
    // Every operation of this block keeps no state and may run on many threads at once.
    // Addresses are 32-bit IPv4 values in host byte order (0 is 0.0.0.0).
    enum TSchnittstellenFlag : quint32 {
        FlagUp = 1, // up and with a carrier
        FlagBroadcast = 2,
        FlagLoopback = 4,
        FlagPointToPoint = 8,
        FlagMulticast = 16,
    };
    struct TRohSchnittstelle {
        QString Name;
        quint32 Adresse = 0;
        quint32 Maske = 0;
        quint32 Broadcast = 0; // as the system reports it; 0 when it reports none
        quint32 Flags = 0;     // TSchnittstellenFlag bits
    };
    // The IPv4 addresses of the machine's interfaces in the system's order; false when the
    // system cannot be asked.
    virtual bool Netzwerkschnittstellen(QList<TRohSchnittstelle>& liste) = 0;
    // Hardware address of an own address (that interface's) or of a neighbour whose entry
    // in the system's table is complete; empty when there is none. Never all zero bytes.
    virtual QByteArray Hardwareadresse(quint32 adresse) = 0;
    // Sends one ICMP echo request and waits at most timeoutMs for the reply to it.
    virtual bool IcmpEcho(quint32 ziel, int timeoutMs) = 0;
    // IPv4 address of a host name or dotted address; 0 when it cannot be resolved.
    virtual quint32 AdresseAufloesen(const QString& host) = 0;

    // --- Scanner --------------------------------------------------------------------------
    // One block of 256 addresses (basis + 0 ... basis + 255, basis ending in .0), asked by the
    // one thread that sweeps it. Answers are collected whenever the thread waits, so an
    // answer that comes after its host's wait still counts.
    struct TScannerFund {
        quint8 N = 0;        // last number of the address
        QByteArray Hardware; // hardware address seen right after the answer; may be empty
    };
    class TScannerSuche {
    public:
        virtual ~TScannerSuche() = default;
        // Asks whether host n is there and collects answers for up to warteMs.
        virtual void Fragen(quint8 n, int warteMs) = 0;
        // After the last question: waits for late answers, then every host that answered,
        // in ascending order.
        virtual QList<TScannerFund> Funde() = 0;
    };
    // anhalten is asked throughout every wait; true cuts the waits short.
    virtual std::unique_ptr<TScannerSuche> ScannerSucheBeginnen(quint32 basis,
                                                                std::function<bool()> anhalten) = 0;
    // Host name of an address by reverse lookup; empty when none is known. Thread-safe.
    virtual QString RueckwaertsName(quint32 adresse) = 0;
    // Sends anfrage to UDP port 137 of every address and collects for at most timeoutMs the
    // first answer per address that akzeptieren takes (sooner when every address has
    // answered or refused). Thread-safe.
    virtual QHash<quint32, QByteArray>
    NetBiosAbfragen(const QList<quint32>& ziele, const QByteArray& anfrage, int timeoutMs,
                    const std::function<bool(QByteArrayView)>& akzeptieren) = 0;
    enum class TKlang { Benachrichtigung, Asterisk };
    // Plays an event of the desktop's sound theme without waiting for it; false when no
    // sound can be played (the caller then beeps).
    virtual bool KlangSpielen(TKlang klang) = 0;

signals:
    void NachrichtEmpfangen(int nachricht);
    void SitzungEndet();  // logoff, shutdown, SIGTERM/SIGHUP/SIGINT
    void SchlafBeginnt(); // the computer is about to suspend
    void Aufgewacht();    // the computer has resumed
};

// The process's platform; tests install a fake before anything asks.
TPlattform& Plattform();
void SetzePlattform(TPlattform* plattform);
// Frees the system platform at the end of the program, so the instance lock and the local
// socket are released in order.
void PlattformBeenden();

// Caption rule of the instance search: the caption ends with text and holds it only there.
bool TitelPasst(const QString& titel, const QString& text);
