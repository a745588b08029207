#include "support/TFakePlattform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// --- Network ---
#include <QHostAddress>
#include <QMutexLocker>

TFakePlattform::TFakePlattform() {
    FProgrammDatei = FBasis.path() + QStringLiteral("/prog/veltrano");
    QDir().mkpath(FBasis.path() + QStringLiteral("/prog"));
}

TFakePlattform::~TFakePlattform() = default;

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

bool TFakePlattform::DateiAttributeEntfernen(const QString& pfad) {
    FAufrufe << QStringLiteral("DateiAttributeEntfernen ") + pfad;
    QFileInfo info(pfad);
    QFile datei(info.isSymLink() ? info.symLinkTarget() : pfad);
    return datei.exists() && datei.setPermissions(datei.permissions() | QFile::WriteOwner | QFile::WriteUser);
}

QByteArray TFakePlattform::ZuAnsi(const QString& text) {
    return FAnsiUtf8S ? text.toUtf8() : text.toLatin1();
}

QString TFakePlattform::VonAnsi(const QByteArray& daten) {
    return FAnsiUtf8S ? QString::fromUtf8(daten) : QString::fromLatin1(daten);
}

bool TFakePlattform::NachrichtAnInstanz(const QString& titelEnde, int nachricht) {
    FAufrufe << QStringLiteral("NachrichtAnInstanz %1 %2").arg(titelEnde).arg(nachricht);
    return TitelPasst(FFensterTitel, titelEnde);
}

TFakeEinsatz::TFakeEinsatz() : FFake(new TFakePlattform) { SetzePlattform(FFake); }

TFakeEinsatz::~TFakeEinsatz() {
    SetzePlattform(nullptr);
    delete FFake;
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

quint32 TFakePlattform::AdresseAufloesen(const QString& host) {
    NetzAufruf(QStringLiteral("AdresseAufloesen ") + host);
    if (FNamen.contains(host))
        return FNamen.value(host);
    QHostAddress a;
    return a.setAddress(host) && a.protocol() == QAbstractSocket::IPv4Protocol ? a.toIPv4Address() : 0;
}
