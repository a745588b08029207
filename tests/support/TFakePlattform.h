#pragma once
// A platform that records every call and answers from scripted values, so the logic can be
// tested without the operating system.

#include "platform/TPlattform.h"

#include <QStringList>
#include <QTemporaryDir>

// --- Network ---
#include <QHash>
#include <QMutex>
#include <QSet>

class TFakePlattform : public TPlattform {
    Q_OBJECT
public:
    // Folders live below a temporary directory that is removed with the fake.
    TFakePlattform();
    ~TFakePlattform() override;

    QString ComputerName() override { return FComputerName; }
    QString UserName() override { return FUserName; }
    QString SpezialOrdner(TOrdner ordner) override;
    QString TempOrdner() override;
    QString ProgrammDatei() override { return FProgrammDatei; }
    bool DateiAttributeEntfernen(const QString& pfad) override;
    QDateTime Jetzt() override { return FJetzt.isValid() ? FJetzt : QDateTime::currentDateTime(); }
    quint32 TickCount() override { return FTick; }
    QByteArray ZuAnsi(const QString& text) override;
    QString VonAnsi(const QByteArray& daten) override;
    bool InstanzBeanspruchen() override { return FInstanzFreiS; }
    void SitzungBeginnen() override { FAufrufe << QStringLiteral("SitzungBeginnen"); }
    bool NachrichtAnInstanz(const QString& titelEnde, int nachricht) override;
    void SetzeFensterTitel(const QString& titel) override { FFensterTitel = titel; }
    void SetzeAnfrageBeantworter(std::function<QString(const QString&)> b) override {
        FBeantworter = std::move(b);
    }
    void SchlafFreigeben() override { FAufrufe << QStringLiteral("SchlafFreigeben"); }

    // --- Power and programs ---
    bool HibernationErlaubt() override {
        FAufrufe << QStringLiteral("HibernationErlaubt");
        return FHibernationS;
    }
    bool Schlafen() override {
        FAufrufe << QStringLiteral("Schlafen");
        return true;
    }
    bool ProgrammStarten(const QString& programm, const QStringList& argumente) override {
        FGestartet << (QStringList{programm} + argumente).join(u' ');
        return FStartGelingtS;
    }
    bool FHibernationS = true;
    bool FStartGelingtS = true;
    QStringList FGestartet; // "programm arg1 arg2", one per start

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
    QString FFensterTitel;
    std::function<QString(const QString&)> FBeantworter;
    QStringList FAufrufe;

    void Vorlaufen(quint32 ms) { FTick += ms; }

    // --- Network ---
    // Probe threads call these, so the record is guarded; script before the code runs.
    bool Netzwerkschnittstellen(QList<TRohSchnittstelle>& liste) override;
    QByteArray Hardwareadresse(quint32 adresse) override;
    bool IcmpEcho(quint32 ziel, int timeoutMs) override;
    quint32 AdresseAufloesen(const QString& host) override;
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
    QString RueckwaertsName(quint32 adresse) override;
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
    // --- Network ---
    void NetzAufruf(const QString& aufruf);
    mutable QMutex FNetzSperre;
    QStringList FNetzAufrufe;
};

// Installs a fake for the life of a scope and restores the previous platform.
class TFakeEinsatz {
public:
    TFakeEinsatz();
    ~TFakeEinsatz();
    TFakePlattform& operator*() { return *FFake; }
    TFakePlattform* operator->() { return FFake; }

private:
    TFakePlattform* FFake;
};
