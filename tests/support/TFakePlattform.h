#pragma once
// A platform that records every call and answers from scripted values, so the logic can be
// tested without the operating system. One object serves every interface; Dienste() hands it
// on as the program's platform.

#include "platform/TPlattform.h"
#include "platform/linux/TLinuxEnergie.h"
#include "platform/linux/TLinuxStarteintraege.h"

#include <QStringList>
#include <QTemporaryDir>

// --- Network ---
#include <QHash>
#include <QMutex>
#include <QSet>
#include <memory>

// The Linux power actions with their command lines, started through the fake's recording
// program starter; logind's parts (sleep, the hibernation question, sleep notices) are only
// recorded. Nothing is ever carried out.
class TFakeEnergie : public TLinuxEnergie {
    Q_OBJECT
public:
    TFakeEnergie(TProgramme& programme, TDateien& dateien, QStringList& aufrufe)
        : TLinuxEnergie(programme, dateien), FAufrufe(aufrufe) {}
    void HibernationPruefen(std::function<void(bool)> antwort) override;
    bool Schlafen() override {
        FAufrufe << QStringLiteral("Schlafen");
        return true;
    }
    void Beginnen() override { FAufrufe << QStringLiteral("EnergieBeginnen"); }
    void SchlafFreigeben() override { FAufrufe << QStringLiteral("SchlafFreigeben"); }

    bool FHibernationS = true;

private:
    QStringList& FAufrufe;
};

class TFakePlattform : public TInstanz,
                       public TUhr,
                       public TIdentitaet,
                       public TDateien,
                       public TProgramme,
                       public TKlaenge,
                       public TNetz,
                       public TNetzSuche {
    Q_OBJECT
public:
    // Folders live below a temporary directory that is removed with the fake.
    TFakePlattform();
    ~TFakePlattform() override;

    TPlattform Dienste() {
        return {*this, *this, *this, Starteintraege, *this, Energie, *this, *this, *this, *this};
    }
    TFakeEnergie Energie{*this, *this, FAufrufe};
    // Launchers are written for real, in the fake's folders.
    TLinuxStarteintraege Starteintraege{*this};

    QString ComputerName() override { return FComputerName; }
    QString UserName() override { return FUserName; }
    QString SpezialOrdner(TOrdner ordner) override;
    QString TempOrdner() override;
    QString ProgrammDatei() override { return FProgrammDatei; }
    QString BeigelegteDatei(const QString& programmDatei, const QString& name) override;
    bool DateiAttributeEntfernen(const QString& pfad) override;
    // The real files below the fake's folders, as Linux reads and writes them, unless a test
    // scripted a failure for the path.
    TGelesen DateiLesen(const QString& pfad, qint64 hoechstens) override;
    bool DateiSchreiben(const QString& pfad, const QByteArray& inhalt, bool direktErlaubtS,
                        QString* grund) override;
    bool GeheimSchreiben(const QString& pfad, const QByteArray& inhalt, QString* grund) override;
    std::optional<bool> FuerAndereLesbarS(const QString& pfad) override;
    bool DateiAnhaengen(const QString& pfad, const QByteArray& inhalt, qint64 hoechstens,
                        QString* grund) override;
    QDateTime Jetzt() override { return FJetzt.isValid() ? FJetzt : QDateTime::currentDateTime(); }
    quint32 TickCount() override { return FTick; }
    QByteArray ZuAnsi(const QString& text) override;
    QString VonAnsi(const QByteArray& daten) override;
    bool Beanspruchen() override { return FInstanzFreiS; }
    void Lauschen() override { FAufrufe << QStringLiteral("Lauschen"); }
    bool NachrichtAnInstanz(const QString& titelEnde, int nachricht) override;
    void SetzeFensterTitel(const QString& titel) override { FFensterTitel = titel; }
    void SetzeAnfrageBeantworter(TBeantworter b) override { FBeantworter = std::move(b); }
    // Asks the window's handler directly; an answer that comes later is waited for.
    std::optional<QString> AnfrageAnInstanz(const QString& anfrage, int fristMs) override;

    // --- Programs ---
    // A started program ends at the next turn of the event loop, or, with
    // FProgrammeLaufenS, only when ProgrammeBeenden is called.
    bool ProgrammStarten(const QString& programm, const QStringList& argumente,
                         TProgrammBeendet beendet = {}) override;
    void ProgrammeBeenden();
    bool FProgrammeLaufenS = false;
    // Recorded in FGestartet as well; answers at once from FAusgaenge (default: exit code
    // 0, no output; "klist" ends with 1, no ticket).
    void ProgrammAusfuehren(const QString& programm, const QStringList& argumente,
                            TProgrammEnde ende) override {
        FGestartet << (QStringList{programm} + argumente).join(u' ');
        const auto ausgang = FAusgaenge.value(programm, {0, {}});
        if (ende)
            ende(ausgang.first, ausgang.second);
    }
    bool FStartGelingtS = true;
    QStringList FGestartet; // "programm arg1 arg2", one per start
    QHash<QString, QPair<int, QByteArray>> FAusgaenge{{QStringLiteral("klist"), {1, {}}}};

    // --- Script and record ---
    QString Basis() const { return FBasis.path(); }
    QString FComputerName = QStringLiteral("TESTPC");
    QString FUserName = QStringLiteral("tester");
    QString FProgrammDatei;
    QDateTime FJetzt;
    quint32 FTick = 100000;
    bool FInstanzFreiS = true;
    // When false, encoding uses Latin-1, as a single-byte code page would.
    bool FAnsiUtf8S = true;
    // Paths whose reading or writing fails, with the reason given; the file stays untouched.
    QHash<QString, QString> FLeseFehler;
    QHash<QString, QString> FSchreibFehler;
    int FSchreibVersuche = 0; // calls of DateiSchreiben, failed ones included
    QString FFensterTitel;
    TBeantworter FBeantworter;
    QStringList FAufrufe;
    QList<TProgrammBeendet> FLaufende; // the ends of programs still running

    void Vorlaufen(quint32 ms) { FTick += ms; }

    // --- Network ---
    // Probe threads call these, so the record is guarded; script before the code runs.
    bool Netzwerkschnittstellen(QList<TRohSchnittstelle>& liste) override;
    QByteArray Hardwareadresse(quint32 adresse) override;
    bool IcmpEcho(quint32 ziel, int timeoutMs) override;
    // A round on a clock of its own: a reply comes FAntwortVerzoegerungMs after its request
    // (0 for FAntwortende), and Sammeln moves the clock on only as far as it would wait.
    // Records "EchoSenden 10.0.0.1" and "EchoSammeln 10".
    std::unique_ptr<TEchoRunde> EchoRundeBeginnen(std::function<bool()> anhalten) override;
    QString IcmpHindernis() override { return FIcmpHindernis; }
    quint32 AdresseAufloesen(const QString& host) override;
    QHash<quint32, int> FAntwortVerzoegerungMs; // addresses that answer late
    QString FIcmpHindernis;                     // not empty: no ICMP socket may be opened
    bool FSchnittstellenLesbarS = true;
    QList<TRohSchnittstelle> FSchnittstellen;
    QHash<quint32, QByteArray> FHardware; // address → hardware address bytes
    QHash<QString, quint32> FNamen;       // host names; dotted addresses resolve by themselves
    QSet<quint32> FAntwortende;           // addresses that answer an echo request
    // "IcmpEcho 10.0.0.1 10", "Hardwareadresse 10.0.0.1", "AdresseAufloesen name"
    QStringList NetzAufrufe() const;
    void NetzAufrufeLeeren();

    // --- Scanner ---
    // A sweep answers from FAntwortende, with hardware addresses from FHardware; every
    // address asked is recorded ("Fragen 10.0.0.5"), every block's end too ("Funde
    // 10.0.0.0 3"), as are the name questions ("Rueckwaerts 10.0.0.5", "NetBios
    // 10.0.0.5,10.0.0.7").
    std::unique_ptr<TScannerSuche> ScannerSucheBeginnen(quint32 basis,
                                                        std::function<bool()> anhalten) override;
    // Names and delay are taken when the sweep asks for the lookup; a lookup still sleeping
    // when the fake goes records nothing more.
    TRueckwaertsFrage RueckwaertsFrage() override;
    QHash<quint32, QByteArray>
    NetBiosAbfragen(const QList<quint32>& ziele, const QByteArray& anfrage, int timeoutMs,
                    const std::function<bool(QByteArrayView)>& akzeptieren) override;
    bool KlangSpielen(TKlang klang) override;
    QHash<quint32, QString> FRueckwaertsNamen;
    int FRueckwaertsVerzoegerungMs = 0; // how long each reverse lookup takes
    // Answers as a host would send them; the request's transaction number is put in first.
    QHash<quint32, QByteArray> FNetBiosAntworten;
    // Called on the sweeping thread for each address, before it is asked.
    std::function<void(quint32)> FBeimFragen;
    bool FKlangS = true;                               // KlangSpielen's answer
    QStringList FKlaenge;                              // "Asterisk", "Benachrichtigung", one per call
    void NetzAufrufAufzeichnen(const QString& aufruf); // for the sweep session, on any thread

private:
    QTemporaryDir FBasis;
    struct TLebenszeichen {
        QMutex Sperre;
        TFakePlattform* Fake = nullptr;
    };
    const std::shared_ptr<TLebenszeichen> FLebenszeichen = std::make_shared<TLebenszeichen>();
    // --- Network ---
    void NetzAufruf(const QString& aufruf);
    mutable QMutex FNetzSperre;
    QStringList FNetzAufrufe;
};
