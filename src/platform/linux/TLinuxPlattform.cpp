#include "platform/linux/TLinuxPlattform.h"

#include "common/ResConst.h"
#include "platform/linux/TInstanzWaechter.h"
#include "platform/linux/TLogind.h"
#include "platform/linux/TSignalWaechter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QSysInfo>

#include <ctime>
#include <pwd.h>
#include <unistd.h>

TPlattform* ErzeugeSystemPlattform() {
    return new TLinuxPlattform;
}

namespace {
QString MitTrenner(QString pfad) {
    if (!pfad.isEmpty() && !pfad.endsWith(u'/'))
        pfad += u'/';
    return pfad;
}
} // namespace

TLinuxPlattform::TLinuxPlattform() = default;
TLinuxPlattform::~TLinuxPlattform() = default;

QString TLinuxPlattform::ComputerName() {
    return QSysInfo::machineHostName();
}

QString TLinuxPlattform::UserName() {
    struct passwd eintrag;
    struct passwd* ergebnis = nullptr;
    char puffer[4096];
    if (::getpwuid_r(::geteuid(), &eintrag, puffer, sizeof puffer, &ergebnis) == 0 && ergebnis)
        return QString::fromLocal8Bit(ergebnis->pw_name);
    return qEnvironmentVariable("USER");
}

QString TLinuxPlattform::SpezialOrdner(TOrdner ordner) {
    switch (ordner) {
    case TOrdner::Desktop:
        return MitTrenner(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    case TOrdner::DesktopAlle:
        return {}; // no desktop shared by all users on Linux
    case TOrdner::Autostart:
        return MitTrenner(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                          QStringLiteral("/autostart"));
    case TOrdner::AnwendungsDaten:
        return MitTrenner(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    case TOrdner::Einstellungen:
        return MitTrenner(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    return {};
}

QString TLinuxPlattform::TempOrdner() {
    return MitTrenner(QDir::tempPath());
}

QString TLinuxPlattform::ProgrammDatei() {
    // Asked before the application object exists, so not through it.
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

bool TLinuxPlattform::DateiAttributeEntfernen(const QString& pfad) {
    QFileInfo info(pfad);
    const QString ziel = info.isSymLink() ? info.symLinkTarget() : pfad;
    QFile datei(ziel);
    if (!datei.exists())
        return false;
    return datei.setPermissions(datei.permissions() | QFile::WriteOwner | QFile::WriteUser);
}

QDateTime TLinuxPlattform::Jetzt() {
    // Tests of clock differences between peers run one host's clock off by some seconds.
    static const qint64 versatz = qEnvironmentVariableIntValue("VELTRANO_UHR_VERSATZ");
    return QDateTime::currentDateTime().addSecs(versatz);
}

quint32 TLinuxPlattform::TickCount() {
    struct timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return quint32(quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec) / 1000000u);
}

QByteArray TLinuxPlattform::ZuAnsi(const QString& text) {
    // The locale's encoding is UTF-8 on every current Linux desktop.
    QStringEncoder kodierer(QStringConverter::System);
    return kodierer(text);
}

QString TLinuxPlattform::VonAnsi(const QByteArray& daten) {
    QStringDecoder dekodierer(QStringConverter::System, QStringConverter::Flag::Stateless);
    QString text = dekodierer(daten);
    // A file written by a Windows installation is in a single-byte code page: read it as
    // Latin-1 rather than lose its umlauts to replacement characters.
    if (dekodierer.hasError())
        text = QString::fromLatin1(daten);
    return text;
}

TInstanzWaechter& TLinuxPlattform::Waechter() {
    if (!FWaechter) {
        FWaechter = std::make_unique<TInstanzWaechter>(ProgrammTitel);
        connect(FWaechter.get(), &TInstanzWaechter::NachrichtEmpfangen, this,
                &TPlattform::NachrichtEmpfangen);
    }
    return *FWaechter;
}

bool TLinuxPlattform::InstanzBeanspruchen() {
    return Waechter().Beanspruchen();
}

void TLinuxPlattform::SitzungBeginnen() {
    Waechter().Lauschen();
    FSignale = std::make_unique<TSignalWaechter>();
    connect(FSignale.get(), &TSignalWaechter::SitzungEndet, this, &TPlattform::SitzungEndet);
    FLogind = std::make_unique<TLogind>();
    connect(FLogind.get(), &TLogind::SchlafBeginnt, this, &TPlattform::SchlafBeginnt);
    connect(FLogind.get(), &TLogind::Aufgewacht, this, &TPlattform::Aufgewacht);
}

bool TLinuxPlattform::NachrichtAnInstanz(const QString& titelEnde, int nachricht) {
    return Waechter().NachrichtSenden(titelEnde, nachricht);
}

void TLinuxPlattform::SetzeFensterTitel(const QString& titel) {
    Waechter().SetzeTitel(titel);
}

void TLinuxPlattform::SetzeAnfrageBeantworter(std::function<QString(const QString&)> beantworter) {
    Waechter().SetzeBeantworter(std::move(beantworter));
}

bool TLinuxPlattform::HibernationErlaubt() {
    return TLogind::HibernationErlaubt();
}

bool TLinuxPlattform::Schlafen() {
    return TLogind::Schlafen();
}

bool TLinuxPlattform::ProgrammStarten(const QString& programm, const QStringList& argumente) {
    // Detached: the program must never wait for, or be killed with, what it starts.
    return QProcess::startDetached(programm, argumente);
}

void TLinuxPlattform::SchlafFreigeben() {
    if (FLogind)
        FLogind->SchlafFreigeben();
}
