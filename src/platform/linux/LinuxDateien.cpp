#include "platform/linux/LinuxDateien.h"

#include "common/Bauwerte.h"
#include "platform/linux/Dateideskriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TArt = TDateien::TGelesen::TArt;

TDateien::TGelesen Unlesbar(const QString& grund) {
    return {TArt::Unlesbar, {}, grund};
}

QString Groesse(qint64 bytes) {
    if (bytes < 10 * 1024)
        return QStringLiteral("%1 Bytes").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KiB").arg((bytes + 1023) / 1024);
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1).replace(u'.', u',') +
           QStringLiteral(" MiB");
}

QString ZuGross(qint64 groesse, qint64 hoechstens) {
    return QStringLiteral("zu groß: %1, höchstens %2 sind vorgesehen")
        .arg(Groesse(groesse), Groesse(hoechstens));
}

// What the path holds instead of a regular file.
QString KeineDatei(mode_t art) {
    if (S_ISDIR(art))
        return QStringLiteral("ein Ordner, keine Datei");
    if (S_ISFIFO(art))
        return QStringLiteral("keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO)");
    if (S_ISCHR(art) || S_ISBLK(art))
        return QStringLiteral("keine gewöhnliche Datei, sondern ein Gerät");
    if (S_ISSOCK(art))
        return QStringLiteral("keine gewöhnliche Datei, sondern ein Socket");
    return QStringLiteral("keine gewöhnliche Datei");
}

struct TFehlerText {
    int Fehler;
    const char16_t* Text;
};

// The errors a user can do something about, in German; the rest in the system's words.
constexpr TFehlerText FehlerTexte[] = {
    {EACCES, u"keine Berechtigung"},
    {EPERM, u"keine Berechtigung"},
    {EIO, u"Ein-/Ausgabefehler des Datenträgers"},
    {ENOSPC, u"kein Speicherplatz mehr auf dem Datenträger"},
    {EDQUOT, u"Speicherkontingent des Benutzers erschöpft"},
    {EROFS, u"der Datenträger ist schreibgeschützt"},
    {ENOENT, u"Datei oder Ordner nicht vorhanden"},
    {ENOTDIR, u"ein Teil des Pfades ist kein Ordner"},
    {EISDIR, u"ein Ordner, keine Datei"},
    {ELOOP, u"zu viele symbolische Verknüpfungen"},
    {ENAMETOOLONG, u"der Pfad ist zu lang"},
    {EMFILE, u"zu viele offene Dateien"},
    {ENFILE, u"zu viele offene Dateien im System"},
    {ENOMEM, u"nicht genügend Arbeitsspeicher"},
    {EFBIG, u"die Datei ist zu groß"},
    {ETXTBSY, u"die Datei ist in Benutzung"},
    {EBUSY, u"die Datei ist in Benutzung"},
    {EAGAIN, u"die Datei ist vorübergehend gesperrt"},
    {ENXIO, u"das Gerät ist nicht vorhanden"},
    {ENODEV, u"das Gerät ist nicht vorhanden"},
    {ESTALE, u"die Netzwerkdatei ist nicht mehr gültig"},
};

QString SystemText(int fehler) {
    char puffer[256];
    // GNU strerror_r: the text is in the buffer or a static string.
    return QString::fromLocal8Bit(::strerror_r(fehler, puffer, sizeof puffer));
}

// Bytes 0x80 to 0x9F of Windows-1252.
constexpr char16_t Cp1252Oben[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QString LinuxFehlerText(int fehler) {
    for (const TFehlerText& t : FehlerTexte)
        if (t.Fehler == fehler)
            return QString::fromUtf16(t.Text);
    return SystemText(fehler);
}

TDateien::TGelesen LinuxDateiLesen(const QString& pfad, qint64 hoechstens) {
    if (pfad.isEmpty())
        return {};
    const QByteArray name = QFile::encodeName(pfad);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return errno == ENOENT ? TDateien::TGelesen{} : Unlesbar(LinuxFehlerText(errno));
    if (!S_ISREG(info.st_mode))
        return Unlesbar(KeineDatei(info.st_mode));
    if (info.st_size > hoechstens)
        return Unlesbar(ZuGross(info.st_size, hoechstens));
    // Non-blocking: should something else have taken the path since, opening does not wait.
    TDateideskriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Gueltig())
        return errno == ENOENT ? TDateien::TGelesen{} : Unlesbar(LinuxFehlerText(errno));
    if (::fstat(fd.Fd(), &info) != 0)
        return Unlesbar(LinuxFehlerText(errno));
    if (!S_ISREG(info.st_mode))
        return Unlesbar(KeineDatei(info.st_mode));

    QByteArray daten;
    qsizetype gelesen = 0;
    daten.resize(qsizetype(qMin<qint64>(info.st_size, hoechstens)) + 1);
    for (;;) {
        if (gelesen == daten.size()) {
            // The file grew while it was read.
            if (gelesen > hoechstens)
                return Unlesbar(ZuGross(gelesen, hoechstens));
            daten.resize(qsizetype(qMin<qint64>(qint64(daten.size()) * 2, hoechstens + 1)));
        }
        const ssize_t n = ::read(fd.Fd(), daten.data() + gelesen, size_t(daten.size() - gelesen));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Unlesbar(LinuxFehlerText(errno));
        }
        if (n == 0)
            break;
        gelesen += n;
    }
    if (gelesen > hoechstens)
        return Unlesbar(ZuGross(gelesen, hoechstens));
    daten.truncate(gelesen);
    return {TArt::Gelesen, daten, {}};
}

namespace {

bool Scheitern(QString* grund, const QString& text) {
    if (grund)
        *grund = text;
    return false;
}

// Writes every byte, through interruptions; 0 or the error number.
int AllesSchreiben(int fd, const QByteArray& inhalt) {
    qsizetype geschrieben = 0;
    while (geschrieben < inhalt.size()) {
        const ssize_t n = ::write(fd, inhalt.constData() + geschrieben, size_t(inhalt.size() - geschrieben));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        geschrieben += n;
    }
    return ::fdatasync(fd) == 0 ? 0 : errno;
}

// The fallback for a folder the program may not create files in: not atomic.
bool DirektSchreiben(const QByteArray& name, const QByteArray& inhalt, QString* grund) {
    TDateideskriptor fd(::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666));
    if (!fd.Gueltig())
        return Scheitern(grund, LinuxFehlerText(errno));
    if (const int fehler = AllesSchreiben(fd.Fd(), inhalt))
        return Scheitern(grund, LinuxFehlerText(fehler));
    return true;
}

QByteArray TempName(const QByteArray& name) {
    static constexpr char Zeichen[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray t = name + '.';
    for (int i = 0; i < 6; ++i)
        t += Zeichen[QRandomGenerator::global()->bounded(int(sizeof Zeichen - 1))];
    return t;
}

} // namespace

bool LinuxDateiErsetzen(const QString& pfad, const QByteArray& inhalt, bool direktErlaubtS, QString* grund,
                        bool geheimS) {
    if (pfad.isEmpty())
        return Scheitern(grund, QStringLiteral("kein Pfad"));
    // A link stays a link: its target is what is replaced.
    QString ziel = pfad;
    for (int i = 0; i < 40 && QFileInfo(ziel).isSymLink(); ++i)
        ziel = QFileInfo(ziel).symLinkTarget();
    const QByteArray name = QFile::encodeName(ziel);
    const QByteArray ordner = QFile::encodeName(QFileInfo(ziel).absolutePath());

    struct stat alt {};
    const bool vorhandenS = ::stat(name.constData(), &alt) == 0;
    if (vorhandenS && !S_ISREG(alt.st_mode))
        return Scheitern(grund, KeineDatei(alt.st_mode));

    QByteArray temp; // the named temporary file, where the folder's file system has no unnamed ones
    const mode_t rechte = geheimS ? 0600 : 0666;
    TDateideskriptor fd(::open(ordner.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, rechte));
    if (!fd.Gueltig() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int versuch = 0; versuch < 100 && !fd.Gueltig(); ++versuch) {
            temp = TempName(name);
            fd = TDateideskriptor(
                ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, rechte));
            if (!fd.Gueltig() && errno != EEXIST)
                break;
        }
    }
    if (!fd.Gueltig()) {
        const int fehler = errno;
        if (direktErlaubtS && !geheimS && (fehler == EACCES || fehler == EPERM || fehler == EROFS))
            return DirektSchreiben(name, inhalt, grund);
        return Scheitern(grund, LinuxFehlerText(fehler));
    }
    auto aufgeben = [&](int fehler) {
        if (!temp.isEmpty())
            ::unlink(temp.constData());
        return Scheitern(grund, LinuxFehlerText(fehler));
    };
    // The file keeps its permissions (new ones get the process's default); a secret one is
    // the owner's alone before a byte is in it.
    if (geheimS) {
        if (::fchmod(fd.Fd(), S_IRUSR | S_IWUSR) != 0)
            return aufgeben(errno);
    } else if (vorhandenS) {
        (void)::fchmod(fd.Fd(), alt.st_mode & 07777);
    }
    if (const int fehler = AllesSchreiben(fd.Fd(), inhalt))
        return aufgeben(fehler);
    if (temp.isEmpty()) {
        // Every byte is on the disk: now the unnamed file gets a name beside the target.
        const QByteArray quelle = "/proc/self/fd/" + QByteArray::number(fd.Fd());
        for (int versuch = 0; versuch < 100 && temp.isEmpty(); ++versuch) {
            const QByteArray kandidat = TempName(name);
            if (::linkat(AT_FDCWD, quelle.constData(), AT_FDCWD, kandidat.constData(), AT_SYMLINK_FOLLOW) ==
                0)
                temp = kandidat;
            else if (errno != EEXIST)
                return aufgeben(errno);
        }
        if (temp.isEmpty())
            return aufgeben(EEXIST);
    }
    if (::rename(temp.constData(), name.constData()) != 0)
        return aufgeben(errno);
    return true;
}

std::optional<bool> LinuxFuerAndereLesbarS(const QString& pfad) {
    struct stat info {};
    if (pfad.isEmpty() || ::stat(QFile::encodeName(pfad).constData(), &info) != 0)
        return std::nullopt;
    return (info.st_mode & (S_IRGRP | S_IROTH)) != 0;
}

bool LinuxDateiAnhaengen(const QString& pfad, const QByteArray& inhalt, qint64 hoechstens, QString* grund) {
    if (pfad.isEmpty())
        return Scheitern(grund, QStringLiteral("kein Pfad"));
    const QByteArray name = QFile::encodeName(pfad);
    struct stat info {};
    if (::stat(name.constData(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return Scheitern(grund, KeineDatei(info.st_mode));
        if (info.st_size > 0 && info.st_size + inhalt.size() > hoechstens &&
            ::rename(name.constData(), QByteArray(name + ".1").constData()) != 0)
            return Scheitern(grund, LinuxFehlerText(errno));
    }
    // Non-blocking: should something else have taken the path since, opening does not wait.
    TDateideskriptor fd(
        ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600));
    if (!fd.Gueltig())
        return Scheitern(grund, LinuxFehlerText(errno));
    if (::fstat(fd.Fd(), &info) != 0 || !S_ISREG(info.st_mode))
        return Scheitern(grund, KeineDatei(info.st_mode));
    qsizetype geschrieben = 0;
    while (geschrieben < inhalt.size()) {
        const ssize_t n =
            ::write(fd.Fd(), inhalt.constData() + geschrieben, size_t(inhalt.size() - geschrieben));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Scheitern(grund, LinuxFehlerText(n < 0 ? errno : ENOSPC));
        geschrieben += n;
    }
    return true;
}

QString VonWindows1252(QByteArrayView daten) {
    QString text(daten.size(), Qt::Uninitialized);
    QChar* ziel = text.data();
    for (const char c : daten) {
        const auto b = static_cast<unsigned char>(c);
        *ziel++ = QChar(b >= 0x80 && b < 0xA0 ? Cp1252Oben[b - 0x80] : char16_t(b));
    }
    return text;
}

QString ProgrammDateiAusLink(const QString& ziel) {
    const QString geloescht = QStringLiteral(" (deleted)");
    if (!ziel.endsWith(geloescht) || QFileInfo::exists(ziel))
        return ziel;
    return ziel.chopped(geloescht.size());
}

QString LinuxBeigelegteDatei(const QString& programmDatei, const QString& name) {
    const QString ordner = QFileInfo(programmDatei).absolutePath() + u'/';
    const QStringList kandidaten{ordner + name, ordner + Bauwerte::DokumenteVomProgramm() + u'/' + name};
    for (const QString& kandidat : kandidaten) {
        if (QFileInfo(kandidat).isFile())
            return QDir::cleanPath(kandidat);
    }
    return {};
}
