#pragma once
// A platform that records every call and answers from scripted values, so the logic can be
// tested without the operating system.

#include "platform/TPlattform.h"

#include <QStringList>
#include <QTemporaryDir>

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
    void SetzeAnfrageBeantworter(std::function<QString(const QString&)> b) override { FBeantworter = std::move(b); }
    void SchlafFreigeben() override { FAufrufe << QStringLiteral("SchlafFreigeben"); }

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

private:
    QTemporaryDir FBasis;
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
