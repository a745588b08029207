#pragma once
// The Linux implementations of the small platform interfaces. The larger ones (power,
// start entries, the instance guard) have files of their own.

#include "platform/TDateien.h"
#include "platform/TIdentitaet.h"
#include "platform/TKlaenge.h"
#include "platform/TNetz.h"
#include "platform/TNetzSuche.h"
#include "platform/TProgramme.h"
#include "platform/TUhr.h"

class TLinuxUhr : public TUhr {
public:
    QDateTime Jetzt() override;
    quint32 TickCount() override;
};

class TLinuxIdentitaet : public TIdentitaet {
public:
    QString ComputerName() override;
    QString UserName() override;
};

class TLinuxDateien : public TDateien {
public:
    QString SpezialOrdner(TOrdner ordner) override;
    QString TempOrdner() override;
    QString ProgrammDatei() override;
    QString BeigelegteDatei(const QString& programmDatei, const QString& name) override;
    bool DateiAttributeEntfernen(const QString& pfad) override;
    TGelesen DateiLesen(const QString& pfad, qint64 hoechstens) override;
    bool DateiSchreiben(const QString& pfad, const QByteArray& inhalt, bool direktErlaubtS,
                        QString* grund) override;
    bool GeheimSchreiben(const QString& pfad, const QByteArray& inhalt, QString* grund) override;
    std::optional<bool> FuerAndereLesbarS(const QString& pfad) override;
    bool DateiAnhaengen(const QString& pfad, const QByteArray& inhalt, qint64 hoechstens,
                        QString* grund) override;
    // The locale's encoding (UTF-8 on every current Linux desktop); a file that is no valid
    // UTF-8 was written by a Windows installation and is read as Windows-1252.
    QByteArray ZuAnsi(const QString& text) override;
    QString VonAnsi(const QByteArray& daten) override;
};

class TLinuxProgramme : public TProgramme {
public:
    bool ProgrammStarten(const QString& programm, const QStringList& argumente,
                         TProgrammBeendet beendet = {}) override;
    void ProgrammAusfuehren(const QString& programm, const QStringList& argumente,
                            TProgrammEnde ende) override;
};

// Runs beendet once, on the calling thread, when the process pid (not necessarily a child)
// has ended.
void ProzessendeBeobachten(qint64 pid, std::function<void()> beendet);

class TLinuxKlaenge : public TKlaenge {
public:
    bool KlangSpielen(TKlang klang) override;
};

class TLinuxNetz : public TNetz {
public:
    bool Netzwerkschnittstellen(QList<TRohSchnittstelle>& liste) override;
    QByteArray Hardwareadresse(quint32 adresse) override;
    bool IcmpEcho(quint32 ziel, int timeoutMs) override;
    std::unique_ptr<TEchoRunde> EchoRundeBeginnen(std::function<bool()> anhalten) override;
    QString IcmpHindernis() override;
    quint32 AdresseAufloesen(const QString& host) override;
};

class TLinuxNetzSuche : public TNetzSuche {
public:
    std::unique_ptr<TScannerSuche> ScannerSucheBeginnen(quint32 basis,
                                                        std::function<bool()> anhalten) override;
    TRueckwaertsFrage RueckwaertsFrage() override;
    QHash<quint32, QByteArray>
    NetBiosAbfragen(const QList<quint32>& ziele, const QByteArray& anfrage, int timeoutMs,
                    const std::function<bool(QByteArrayView)>& akzeptieren) override;
};
