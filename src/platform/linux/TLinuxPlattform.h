#pragma once

#include "platform/TPlattform.h"

#include <memory>

class TInstanzWaechter;
class TSignalWaechter;
class TLogind;

class TLinuxPlattform : public TPlattform {
    Q_OBJECT
public:
    TLinuxPlattform();
    ~TLinuxPlattform() override;

    QString ComputerName() override;
    QString UserName() override;

    QString SpezialOrdner(TOrdner ordner) override;
    QString TempOrdner() override;
    QString ProgrammDatei() override;
    bool DateiAttributeEntfernen(const QString& pfad) override;

    QDateTime Jetzt() override;
    quint32 TickCount() override;

    QByteArray ZuAnsi(const QString& text) override;
    QString VonAnsi(const QByteArray& daten) override;

    bool InstanzBeanspruchen() override;
    void SitzungBeginnen() override;
    bool NachrichtAnInstanz(const QString& titelEnde, int nachricht) override;
    void SetzeFensterTitel(const QString& titel) override;
    void SetzeAnfrageBeantworter(std::function<QString(const QString&)> beantworter) override;

    bool HibernationErlaubt() override;
    bool Schlafen() override;
    bool ProgrammStarten(const QString& programm, const QStringList& argumente) override;

    void SchlafFreigeben() override;

    // --- Network (TLinuxPlattformNetz.cpp) ---------------------------------------------------
    bool Netzwerkschnittstellen(QList<TRohSchnittstelle>& liste) override;
    QByteArray Hardwareadresse(quint32 adresse) override;
    bool IcmpEcho(quint32 ziel, int timeoutMs) override;
    quint32 AdresseAufloesen(const QString& host) override;

    // --- Scanner (TLinuxPlattformScanner.cpp) ------------------------------------------------
    std::unique_ptr<TScannerSuche> ScannerSucheBeginnen(quint32 basis,
                                                        std::function<bool()> anhalten) override;
    QString RueckwaertsName(quint32 adresse) override;
    QHash<quint32, QByteArray>
    NetBiosAbfragen(const QList<quint32>& ziele, const QByteArray& anfrage, int timeoutMs,
                    const std::function<bool(QByteArrayView)>& akzeptieren) override;
    bool KlangSpielen(TKlang klang) override;

private:
    TInstanzWaechter& Waechter();

    std::unique_ptr<TInstanzWaechter> FWaechter;
    std::unique_ptr<TSignalWaechter> FSignale;
    std::unique_ptr<TLogind> FLogind;
};
