#include "platform/linux/LinuxDienste.h"

#include "platform/TPlattform.h"
#include "platform/linux/IcmpEcho.h"
#include "platform/linux/Klang.h"
#include "platform/linux/LinuxDateien.h"
#include "platform/linux/LinuxNetz.h"
#include "platform/linux/Namensabfrage.h"
#include "platform/linux/ScannerSuche.h"
#include "platform/linux/TLinuxEnergie.h"
#include "platform/linux/TLinuxInstanz.h"
#include "platform/linux/TLinuxStarteintraege.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QSysInfo>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <memory>
#include <pwd.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

QString MitTrenner(QString pfad) {
    if (!pfad.isEmpty() && !pfad.endsWith(u'/'))
        pfad += u'/';
    return pfad;
}

class TLinuxSystemDienste : public TSystemDienste {
public:
    TPlattform Dienste() override {
        return {FUhr,     FIdentitaet, FDateien, FStarteintraege, FProgramme,
                FEnergie, FInstanz,    FNetz,    FNetzSuche,      FKlaenge};
    }

private:
    TLinuxUhr FUhr;
    TLinuxIdentitaet FIdentitaet;
    TLinuxDateien FDateien;
    TLinuxProgramme FProgramme;
    TLinuxStarteintraege FStarteintraege{FDateien};
    TLinuxEnergie FEnergie{FProgramme, FDateien};
    TLinuxInstanz FInstanz;
    TLinuxNetz FNetz;
    TLinuxNetzSuche FNetzSuche;
    TLinuxKlaenge FKlaenge;
};

} // namespace

void ProzessendeBeobachten(qint64 pid, std::function<void()> beendet) {
    // A detached program is no child of ours: a pidfd tells when it ends, and unlike a
    // process id it cannot come to name another process meanwhile.
    const int fd = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (fd < 0 && errno == ESRCH) {
        QTimer::singleShot(0, std::move(beendet)); // it has ended already
        return;
    }
    if (fd < 0) {
        // Kernels before 5.3: ask now and then whether the process is still there.
        auto* takt = new QTimer;
        QObject::connect(takt, &QTimer::timeout, takt, [takt, pid, beendet = std::move(beendet)] {
            if (::kill(pid_t(pid), 0) == 0 || errno == EPERM)
                return;
            takt->stop();
            takt->deleteLater();
            beendet();
        });
        takt->start(200);
        return;
    }
    auto* melder = new QSocketNotifier(fd, QSocketNotifier::Read);
    QObject::connect(melder, &QSocketNotifier::activated, melder, [melder, fd, beendet = std::move(beendet)] {
        melder->setEnabled(false);
        melder->deleteLater();
        ::close(fd);
        beendet();
    });
}

std::unique_ptr<TSystemDienste> ErzeugeSystemDienste() {
    return std::make_unique<TLinuxSystemDienste>();
}

// --- Clock ---

QDateTime TLinuxUhr::Jetzt() {
    return QDateTime::currentDateTime();
}

quint32 TLinuxUhr::TickCount() {
    struct timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return quint32(quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec) / 1000000u);
}

// --- Identity ---

QString TLinuxIdentitaet::ComputerName() {
    return QSysInfo::machineHostName();
}

QString TLinuxIdentitaet::UserName() {
    struct passwd eintrag;
    struct passwd* ergebnis = nullptr;
    char puffer[4096];
    if (::getpwuid_r(::geteuid(), &eintrag, puffer, sizeof puffer, &ergebnis) == 0 && ergebnis)
        return QString::fromLocal8Bit(ergebnis->pw_name);
    return qEnvironmentVariable("USER");
}

// --- Folders, files, encoding ---

QString TLinuxDateien::SpezialOrdner(TOrdner ordner) {
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

QString TLinuxDateien::TempOrdner() {
    return MitTrenner(QDir::tempPath());
}

QString TLinuxDateien::ProgrammDatei() {
    // Asked before the application object exists, so not through it.
    return ProgrammDateiAusLink(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
}

QString TLinuxDateien::BeigelegteDatei(const QString& programmDatei, const QString& name) {
    return LinuxBeigelegteDatei(programmDatei, name);
}

bool TLinuxDateien::DateiAttributeEntfernen(const QString& pfad) {
    QFileInfo info(pfad);
    const QString ziel = info.isSymLink() ? info.symLinkTarget() : pfad;
    QFile datei(ziel);
    if (!datei.exists())
        return false;
    return datei.setPermissions(datei.permissions() | QFile::WriteOwner | QFile::WriteUser);
}

TDateien::TGelesen TLinuxDateien::DateiLesen(const QString& pfad, qint64 hoechstens) {
    return LinuxDateiLesen(pfad, hoechstens);
}

bool TLinuxDateien::DateiSchreiben(const QString& pfad, const QByteArray& inhalt, bool direktErlaubtS,
                                   QString* grund) {
    const QFileInfo info(pfad);
    if (info.exists() || info.isSymLink())
        DateiAttributeEntfernen(pfad);
    return LinuxDateiErsetzen(pfad, inhalt, direktErlaubtS, grund);
}

bool TLinuxDateien::GeheimSchreiben(const QString& pfad, const QByteArray& inhalt, QString* grund) {
    QDir().mkpath(QFileInfo(pfad).absolutePath());
    return LinuxDateiErsetzen(pfad, inhalt, false, grund, true);
}

std::optional<bool> TLinuxDateien::FuerAndereLesbarS(const QString& pfad) {
    return LinuxFuerAndereLesbarS(pfad);
}

bool TLinuxDateien::DateiAnhaengen(const QString& pfad, const QByteArray& inhalt, qint64 hoechstens,
                                   QString* grund) {
    return LinuxDateiAnhaengen(pfad, inhalt, hoechstens, grund);
}

QByteArray TLinuxDateien::ZuAnsi(const QString& text) {
    QStringEncoder kodierer(QStringConverter::System);
    return kodierer(text);
}

QString TLinuxDateien::VonAnsi(const QByteArray& daten) {
    QStringDecoder dekodierer(QStringConverter::System, QStringConverter::Flag::Stateless);
    QString text = dekodierer(daten);
    // A file written by a Windows installation is in its single-byte code page: read it as
    // Windows-1252 (not Latin-1, which has control characters where it has "€", "„" and "“")
    // rather than lose its umlauts to replacement characters.
    if (dekodierer.hasError())
        text = VonWindows1252(daten);
    return text;
}

// --- Programs and sounds ---

bool TLinuxProgramme::ProgrammStarten(const QString& programm, const QStringList& argumente,
                                      TProgrammBeendet beendet) {
    // Detached: the program must never wait for, or be killed with, what it starts.
    qint64 pid = 0;
    if (!QProcess::startDetached(programm, argumente, QString(), &pid))
        return false;
    if (beendet)
        ProzessendeBeobachten(pid, std::move(beendet));
    return true;
}

void TLinuxProgramme::ProgrammAusfuehren(const QString& programm, const QStringList& argumente,
                                         TProgrammEnde ende) {
    auto* prozess = new QProcess;
    prozess->setProcessChannelMode(QProcess::MergedChannels);
    prozess->setStandardInputFile(QProcess::nullDevice());
    // A session of its own has no controlling terminal: a tool that would ask for a password
    // on /dev/tty fails instead of waiting for an answer nobody gives.
    prozess->setChildProcessModifier([] { ::setsid(); });
    auto ausgabe = std::make_shared<QByteArray>();
    auto gemeldetS = std::make_shared<bool>(false);
    const auto melden = [prozess, ausgabe, gemeldetS, ende = std::move(ende)](int code) {
        if (*gemeldetS)
            return;
        *gemeldetS = true;
        if (ende)
            ende(code, *ausgabe);
        prozess->deleteLater();
    };
    QObject::connect(prozess, &QProcess::readyRead, prozess, [prozess, ausgabe] {
        const QByteArray neu = prozess->readAll();
        ausgabe->append(neu.left(ProgrammAusgabeMax - ausgabe->size()));
    });
    QObject::connect(prozess, &QProcess::finished, prozess,
                     [prozess, ausgabe, melden](int code, QProcess::ExitStatus art) {
                         ausgabe->append(prozess->readAll().left(ProgrammAusgabeMax - ausgabe->size()));
                         melden(art == QProcess::NormalExit ? code : -1);
                     });
    QObject::connect(prozess, &QProcess::errorOccurred, prozess, [melden](QProcess::ProcessError fehler) {
        if (fehler == QProcess::FailedToStart)
            melden(-1);
    });
    QTimer::singleShot(ProgrammAusfuehrenMaxMs, prozess, [prozess] { prozess->kill(); });
    prozess->start(programm, argumente);
}

bool TLinuxKlaenge::KlangSpielen(TKlang klang) {
    return LinuxKlangSpielen(klang);
}

// --- Network ---

bool TLinuxNetz::Netzwerkschnittstellen(QList<TRohSchnittstelle>& liste) {
    return LinuxSchnittstellenLesen(liste);
}

QByteArray TLinuxNetz::Hardwareadresse(quint32 adresse) {
    return LinuxHardwareadresse(adresse);
}

bool TLinuxNetz::IcmpEcho(quint32 ziel, int timeoutMs) {
    return IcmpEchoSenden(ziel, timeoutMs).Ergebnis == TEchoErgebnis::Antwort;
}

std::unique_ptr<TNetz::TEchoRunde> TLinuxNetz::EchoRundeBeginnen(std::function<bool()> anhalten) {
    return IcmpEchoRundeBeginnen(std::move(anhalten));
}

QString TLinuxNetz::IcmpHindernis() {
    return IcmpHindernisText();
}

quint32 TLinuxNetz::AdresseAufloesen(const QString& host) {
    return LinuxAdresseAufloesen(host);
}

std::unique_ptr<TNetzSuche::TScannerSuche>
TLinuxNetzSuche::ScannerSucheBeginnen(quint32 basis, std::function<bool()> anhalten) {
    return std::make_unique<TLinuxScannerSuche>(basis, std::move(anhalten), LinuxSuchWeg());
}

TNetzSuche::TRueckwaertsFrage TLinuxNetzSuche::RueckwaertsFrage() {
    return &LinuxRueckwaertsName;
}

QHash<quint32, QByteArray>
TLinuxNetzSuche::NetBiosAbfragen(const QList<quint32>& ziele, const QByteArray& anfrage, int timeoutMs,
                                 const std::function<bool(QByteArrayView)>& akzeptieren) {
    return LinuxNetBiosAbfragen(ziele, anfrage, timeoutMs, akzeptieren);
}
