#pragma once
// The one place that talks to the operating system. Everything outside src/platform asks
// through this interface; linux/ implements it, the tests use a recording fake.

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>

class TPlattform : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TPlattform() override = default;

    // --- Identity -------------------------------------------------------------------------
    virtual QString ComputerName() = 0; // empty when it cannot be read
    virtual QString UserName() = 0;     // login name of the process owner, or empty

    // --- Folders and files ----------------------------------------------------------------
    enum class TOrdner { Desktop, DesktopAlle, Autostart, AnwendungsDaten };
    // Path with a trailing '/', or empty when the folder does not exist on this system.
    virtual QString SpezialOrdner(TOrdner ordner) = 0;
    virtual QString TempOrdner() = 0;   // with a trailing '/'
    virtual QString ProgrammDatei() = 0; // full path of the running executable
    // Makes a file (for a link: its target) writable for its owner so it can be replaced.
    virtual bool DateiAttributeEntfernen(const QString& pfad) = 0;

    // --- Clock ----------------------------------------------------------------------------
    virtual QDateTime Jetzt() = 0;  // local date and time
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

    // --- Session and power events --------------------------------------------------------
    // Lets the system sleep now that the leaving presence has gone out.
    virtual void SchlafFreigeben() = 0;

signals:
    void NachrichtEmpfangen(int nachricht);
    void SitzungEndet();   // logoff, shutdown, SIGTERM/SIGHUP/SIGINT
    void SchlafBeginnt();  // the computer is about to suspend
    void Aufgewacht();     // the computer has resumed
};

// The process's platform; tests install a fake before anything asks.
TPlattform& Plattform();
void SetzePlattform(TPlattform* plattform);

// Caption rule of the instance search: the caption ends with text and holds it only there.
bool TitelPasst(const QString& titel, const QString& text);
