#include "support/TFakePlattform.h"

#include "platform/linux/LinuxDateien.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <limits>

#include <QDir>
#include <QFile>
#include <QFileInfo>

// --- Network ---
#include <QHostAddress>
#include <QMutexLocker>
#include <QThread>

TFakePlattform::TFakePlattform() {
    FLebenszeichen->Fake = this;
    FProgrammDatei = FBasis.path() + QStringLiteral("/prog/veltrano");
    QDir().mkpath(FBasis.path() + QStringLiteral("/prog"));
    // The program file exists, as the running program's does.
    QFile(FProgrammDatei).open(QIODevice::WriteOnly);
}

TFakePlattform::~TFakePlattform() {
    const QMutexLocker sperre(&FLebenszeichen->Sperre);
    FLebenszeichen->Fake = nullptr;
}

QString TFakePlattform::SpezialOrdner(TOrdner ordner) {
    switch (ordner) {
    case TOrdner::Desktop:
        return FBasis.path() + QStringLiteral("/Desktop/");
    case TOrdner::DesktopAlle:
        return {};
    case TOrdner::Autostart:
        return FBasis.path() + QStringLiteral("/config/autostart/");
    case TOrdner::AnwendungsDaten:
        return FBasis.path() + QStringLiteral("/data/");
    case TOrdner::Einstellungen:
        return FBasis.path() + QStringLiteral("/config/");
    }
    return {};
}

QString TFakePlattform::TempOrdner() {
    const QString pfad = FBasis.path() + QStringLiteral("/tmp/");
    QDir().mkpath(pfad);
    return pfad;
}

QString TFakePlattform::BeigelegteDatei(const QString& programmDatei, const QString& name) {
    return LinuxBeigelegteDatei(programmDatei, name);
}

bool TFakePlattform::DateiAttributeEntfernen(const QString& pfad) {
    FAufrufe << QStringLiteral("DateiAttributeEntfernen ") + pfad;
    QFileInfo info(pfad);
    QFile datei(info.isSymLink() ? info.symLinkTarget() : pfad);
    return datei.exists() && datei.setPermissions(datei.permissions() | QFile::WriteOwner | QFile::WriteUser);
}

TDateien::TGelesen TFakePlattform::DateiLesen(const QString& pfad, qint64 hoechstens) {
    if (FLeseFehler.contains(pfad))
        return {TGelesen::TArt::Unlesbar, {}, FLeseFehler.value(pfad)};
    return LinuxDateiLesen(pfad, hoechstens);
}

bool TFakePlattform::DateiSchreiben(const QString& pfad, const QByteArray& inhalt, bool direktErlaubtS,
                                    QString* grund) {
    ++FSchreibVersuche;
    if (FSchreibFehler.contains(pfad)) {
        if (grund)
            *grund = FSchreibFehler.value(pfad);
        return false;
    }
    const QFileInfo info(pfad);
    if (info.exists() || info.isSymLink())
        DateiAttributeEntfernen(pfad);
    return LinuxDateiErsetzen(pfad, inhalt, direktErlaubtS, grund);
}

bool TFakePlattform::GeheimSchreiben(const QString& pfad, const QByteArray& inhalt, QString* grund) {
    ++FSchreibVersuche;
    if (FSchreibFehler.contains(pfad)) {
        if (grund)
            *grund = FSchreibFehler.value(pfad);
        return false;
    }
    QDir().mkpath(QFileInfo(pfad).absolutePath());
    return LinuxDateiErsetzen(pfad, inhalt, false, grund, true);
}

std::optional<bool> TFakePlattform::FuerAndereLesbarS(const QString& pfad) {
    return LinuxFuerAndereLesbarS(pfad);
}

bool TFakePlattform::DateiAnhaengen(const QString& pfad, const QByteArray& inhalt, qint64 hoechstens,
                                    QString* grund) {
    if (FSchreibFehler.contains(pfad)) {
        if (grund)
            *grund = FSchreibFehler.value(pfad);
        return false;
    }
    return LinuxDateiAnhaengen(pfad, inhalt, hoechstens, grund);
}

bool TFakePlattform::ProgrammStarten(const QString& programm, const QStringList& argumente,
                                     TProgrammBeendet beendet) {
    FGestartet << (QStringList{programm} + argumente).join(u' ');
    if (!FStartGelingtS)
        return false;
    if (beendet) {
        FLaufende << std::move(beendet);
        if (!FProgrammeLaufenS)
            QMetaObject::invokeMethod(this, &TFakePlattform::ProgrammeBeenden, Qt::QueuedConnection);
    }
    return true;
}

void TFakePlattform::ProgrammeBeenden() {
    for (const TProgrammBeendet& beendet : std::exchange(FLaufende, {}))
        beendet();
}

QByteArray TFakePlattform::ZuAnsi(const QString& text) {
    return FAnsiUtf8S ? text.toUtf8() : text.toLatin1();
}

QString TFakePlattform::VonAnsi(const QByteArray& daten) {
    return FAnsiUtf8S ? QString::fromUtf8(daten) : QString::fromLatin1(daten);
}

std::optional<QString> TFakePlattform::AnfrageAnInstanz(const QString& anfrage, int fristMs) {
    if (!FBeantworter)
        return std::nullopt;
    auto antwort = std::make_shared<std::optional<QString>>();
    FBeantworter(anfrage, [antwort](const QString& a) { *antwort = a; });
    QDeadlineTimer frist(fristMs);
    while (!*antwort && !frist.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return *antwort;
}

bool TFakePlattform::NachrichtAnInstanz(const QString& titelEnde, int nachricht) {
    FAufrufe << QStringLiteral("NachrichtAnInstanz %1 %2").arg(titelEnde).arg(nachricht);
    return TitelPasst(FFensterTitel, titelEnde);
}

void TFakeEnergie::HibernationPruefen(std::function<void(bool)> antwort) {
    FAufrufe << QStringLiteral("HibernationErlaubt");
    // Like the system's answer, it comes later.
    QMetaObject::invokeMethod(
        this, [this, antwort = std::move(antwort)] { antwort(FHibernationS); }, Qt::QueuedConnection);
}

// --- Network ---

namespace {
QString Punkt(quint32 a) {
    return QHostAddress(a).toString();
}
} // namespace

void TFakePlattform::NetzAufruf(const QString& aufruf) {
    QMutexLocker sperre(&FNetzSperre);
    FNetzAufrufe << aufruf;
}

QStringList TFakePlattform::NetzAufrufe() const {
    QMutexLocker sperre(&FNetzSperre);
    return FNetzAufrufe;
}

void TFakePlattform::NetzAufrufeLeeren() {
    QMutexLocker sperre(&FNetzSperre);
    FNetzAufrufe.clear();
}

bool TFakePlattform::Netzwerkschnittstellen(QList<TRohSchnittstelle>& liste) {
    NetzAufruf(QStringLiteral("Netzwerkschnittstellen"));
    liste = FSchnittstellenLesbarS ? FSchnittstellen : QList<TRohSchnittstelle>();
    return FSchnittstellenLesbarS;
}

QByteArray TFakePlattform::Hardwareadresse(quint32 adresse) {
    NetzAufruf(QStringLiteral("Hardwareadresse ") + Punkt(adresse));
    return FHardware.value(adresse);
}

bool TFakePlattform::IcmpEcho(quint32 ziel, int timeoutMs) {
    NetzAufruf(QStringLiteral("IcmpEcho %1 %2").arg(Punkt(ziel)).arg(timeoutMs));
    return FAntwortende.contains(ziel);
}

namespace {
class TFakeEchoRunde : public TNetz::TEchoRunde {
public:
    explicit TFakeEchoRunde(TFakePlattform& fake) : FFake(fake) {}
    bool Senden(quint32 ziel) override {
        FFake.NetzAufrufAufzeichnen(QStringLiteral("EchoSenden ") + Punkt(ziel));
        const qint64 nie = std::numeric_limits<qint64>::max();
        FOffen.append({ziel, FFake.FAntwortende.contains(ziel) ? FJetzt
                             : FFake.FAntwortVerzoegerungMs.contains(ziel)
                                 ? FJetzt + FFake.FAntwortVerzoegerungMs.value(ziel)
                                 : nie});
        return true;
    }
    QList<quint32> Sammeln(int ms, quint32 bis) override {
        FFake.NetzAufrufAufzeichnen(QStringLiteral("EchoSammeln %1").arg(ms));
        // The wait ends at ms, or once what it waits for has come.
        qint64 ende = FJetzt + ms;
        qint64 letzte = FJetzt;
        for (const auto& [ziel, zeit] : std::as_const(FOffen)) {
            if (ziel == bis)
                ende = std::min(ende, std::max(FJetzt, zeit));
            letzte = std::max(letzte, zeit);
        }
        if (bis == 0)
            ende = std::min(ende, letzte);
        FJetzt = ende;
        QList<quint32> gekommen;
        for (qsizetype i = 0; i < FOffen.size();)
            if (FOffen[i].second <= FJetzt)
                gekommen.append(FOffen.takeAt(i).first);
            else
                ++i;
        return gekommen;
    }

private:
    TFakePlattform& FFake;
    qint64 FJetzt = 0;
    QList<std::pair<quint32, qint64>> FOffen; // address, time its reply comes (or never)
};
} // namespace

std::unique_ptr<TNetz::TEchoRunde> TFakePlattform::EchoRundeBeginnen(std::function<bool()>) {
    if (!FIcmpHindernis.isEmpty())
        return nullptr;
    return std::make_unique<TFakeEchoRunde>(*this);
}

quint32 TFakePlattform::AdresseAufloesen(const QString& host) {
    NetzAufruf(QStringLiteral("AdresseAufloesen ") + host);
    if (FNamen.contains(host))
        return FNamen.value(host);
    QHostAddress a;
    return a.setAddress(host) && a.protocol() == QAbstractSocket::IPv4Protocol ? a.toIPv4Address() : 0;
}

// --- Scanner ---

namespace {
class TFakeSuche : public TNetzSuche::TScannerSuche {
public:
    TFakeSuche(TFakePlattform& fake, quint32 basis) : FFake(fake), FBasis(basis) {}
    void Fragen(quint8 n, int warteMs) override {
        const quint32 adresse = FBasis | n;
        if (FFake.FBeimFragen)
            FFake.FBeimFragen(adresse);
        FFake.NetzAufrufAufzeichnen(QStringLiteral("Fragen %1 %2").arg(Punkt(adresse)).arg(warteMs));
        if (FFake.FAntwortende.contains(adresse))
            FGefunden.append({n, FFake.FHardware.value(adresse)});
    }
    QList<TNetzSuche::TScannerFund> Funde() override {
        FFake.NetzAufrufAufzeichnen(QStringLiteral("Funde %1 %2").arg(Punkt(FBasis)).arg(FGefunden.size()));
        return FGefunden;
    }

private:
    TFakePlattform& FFake;
    const quint32 FBasis;
    QList<TNetzSuche::TScannerFund> FGefunden;
};
} // namespace

void TFakePlattform::NetzAufrufAufzeichnen(const QString& aufruf) {
    NetzAufruf(aufruf);
}

std::unique_ptr<TNetzSuche::TScannerSuche> TFakePlattform::ScannerSucheBeginnen(quint32 basis,
                                                                                std::function<bool()>) {
    return std::make_unique<TFakeSuche>(*this, basis & 0xffffff00u);
}

TNetzSuche::TRueckwaertsFrage TFakePlattform::RueckwaertsFrage() {
    return [leben = FLebenszeichen, namen = FRueckwaertsNamen,
            verzoegerungMs = FRueckwaertsVerzoegerungMs](quint32 adresse) {
        {
            const QMutexLocker sperre(&leben->Sperre);
            if (leben->Fake)
                leben->Fake->NetzAufruf(QStringLiteral("Rueckwaerts ") + Punkt(adresse));
        }
        if (verzoegerungMs > 0)
            QThread::msleep(verzoegerungMs);
        return namen.value(adresse);
    };
}

QHash<quint32, QByteArray>
TFakePlattform::NetBiosAbfragen(const QList<quint32>& ziele, const QByteArray& anfrage, int,
                                const std::function<bool(QByteArrayView)>& akzeptieren) {
    QStringList text;
    for (quint32 z : ziele)
        text << Punkt(z);
    NetzAufruf(QStringLiteral("NetBios ") + text.join(u','));
    QHash<quint32, QByteArray> antworten;
    for (quint32 z : ziele) {
        QByteArray antwort = FNetBiosAntworten.value(z);
        if (antwort.size() >= 2 && anfrage.size() >= 2) {
            antwort[0] = anfrage[0];
            antwort[1] = anfrage[1];
        }
        if (!antwort.isEmpty() && (!akzeptieren || akzeptieren(antwort)))
            antworten.insert(z, antwort);
    }
    return antworten;
}

bool TFakePlattform::KlangSpielen(TKlang klang) {
    FKlaenge << (klang == TKlang::Asterisk ? QStringLiteral("Asterisk") : QStringLiteral("Benachrichtigung"));
    return FKlangS;
}
